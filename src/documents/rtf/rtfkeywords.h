#pragma once
// The control words of rich text as the reader knows them: how they are written, the
// keyword each name stands for, and the characters some of them put into the text.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vernalo {

// clang-format off
enum class RtfKeyword : std::uint8_t {
    Unknown,
    // Destinations.
    FontTable, ColorTable, SkipDest, Object, Upr, Resume, FieldResult,
    // Document.
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff, Uc, U, Bin,
    // Font and colour tables.
    F, FCharset, Cpg, Red, Green, Blue,
    // Characters and breaks.
    Par, Line, Tab, Cell, Row, NestRow, Emdash, Endash, Emspace, Enspace, Qmspace, Bullet, Lquote,
    Rquote, Ldblquote, Rdblquote, Zwj, Zwnj, Ltrmark, Rtlmark,
    // Character format.
    Plain, B, I, Ul, UlNone, Strike, Fs, Cf, Cb, V,
    // Paragraph format.
    Pard, Intbl, Ql, Qc, Qr, Qj, Li, Ri, Fi, OutlineLevel,
};
// clang-format on

// A control word's parameter held to [lo, hi].
inline int ClampRtfParam(std::int64_t param, int lo, int hi) {
    return param < lo ? lo : param > hi ? hi : static_cast<int>(param);
}

// A control word as written: its letters, a signed decimal parameter if any, and the one
// space that ends it if there is one.
struct RtfControlWord {
    RtfKeyword keyword = RtfKeyword::Unknown;
    bool hasParam = false;
    std::int64_t param = 0;  // digits past a trillion are dropped
    std::size_t length = 0;  // bytes it takes, the ending space included
};

// Reads the control word that `text` starts with; `text` starts just after the backslash,
// with a letter.
RtfControlWord ReadRtfControlWord(std::string_view text);

// The keyword of a control word's name (letters only, no parameter); Unknown for the
// names the reader ignores.
RtfKeyword LookupRtfKeyword(std::string_view name);

// The character a keyword puts into the text (\emdash, \line, \tab ...), or 0 when the
// keyword is not a character.
char16_t RtfKeywordCharacter(RtfKeyword keyword);

}  // namespace vernalo
