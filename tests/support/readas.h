#pragma once
// The document readers' tests read a fixture as the program reads a file, or hand bytes to
// the reader of one kind directly, without the look at the content ReadDocument takes first.

#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <string_view>

#include "documents/read.h"
#include "support/booktext.h"

namespace vernalo::test {

inline ReadResult ReadAs(std::string_view bytes, DocumentKind kind,
                         const ReadControl& control = {}) {
    const DocumentFormat* format = FormatOfKind(kind);
    EXPECT_NE(format, nullptr);
    return format ? format->read(bytes, control) : ReadResult{};
}

// The fixture at `path` read by the road its name and content pick.
inline ReadResult ReadFile(const std::string& path) {
    return ReadDocument(Slurp(path), QString::fromStdString(path).toStdU16String());
}

}  // namespace vernalo::test
