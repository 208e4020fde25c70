#pragma once

#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>

#include "text/textcodec.h"

namespace vernalo::cli {

// Appends `utf8` to `out` as the inside of a JSON string literal.
inline void AppendJsonEscaped(std::string& out, std::string_view utf8) {
    for (unsigned char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    static const char hex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
}

// Writes UTF-16 text as a JSON string literal (quotes included), a slice at a time, so that a long text is
// never held once more as UTF-8 and once more escaped.
inline void WriteJsonString(std::ostream& os, std::u16string_view text) {
    constexpr std::size_t kSlice = 1 << 16;
    std::string out;
    os << '"';
    while (!text.empty()) {
        std::size_t n = std::min(kSlice, text.size());
        // A surrogate pair stays in one slice.
        if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
        out.clear();
        AppendJsonEscaped(out, Utf16ToUtf8(text.substr(0, n)));
        os << out;
        text.remove_prefix(n);
    }
    os << '"';
}

}  // namespace vernalo::cli
