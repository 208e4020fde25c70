#pragma once
// What every document reader's fuzz target checks of a result: a refusal says why, and a
// document is one the editor bridge can use (no empty runs, its plain text as long as its
// runs and paragraph breaks).

#include <cstddef>
#include <string>

#include "documents/model/documentformat.h"
#include "fuzzcheck.h"

namespace vernalo::fuzz {

inline void CheckReadResult(const ReadResult& r) {
    if (!r.ok) {
        FUZZ_CHECK(!r.error.empty(), "a refusal says why");
        return;
    }
    std::size_t units = 0;
    r.document.forEach([](const RichDocument::ParagraphView&) {},
                       [&](const RichDocument::RunView& run) {
                           FUZZ_CHECK(!run.text.empty(), "a run holds text");
                           units += run.text.size();
                       });
    FUZZ_CHECK(r.document.plainText().size() == units + r.document.paragraphCount() - 1 ||
                   r.document.paragraphCount() == 0,
               "plain text length " + std::to_string(r.document.plainText().size()));
}

}  // namespace vernalo::fuzz
