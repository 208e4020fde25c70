#pragma once
// The core keeps text as UTF-16 standard strings; the widgets take QString.

#include <QString>
#include <string_view>

namespace vernalo {

inline QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

}  // namespace vernalo
