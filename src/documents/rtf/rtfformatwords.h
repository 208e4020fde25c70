#pragma once
// What the character- and paragraph-format control words do. They change nothing but a
// group's format state, so the parser hands them over whole.

#include <cstdint>

#include "documents/model/richdocument.h"
#include "documents/rtf/rtfkeywords.h"

namespace vernalo {

// A group's character format as its words set it: fonts and colours are still table
// numbers, which the parser resolves when text comes.
struct RtfCharState {
    int font = -1;  // RTF font number; -1 for the default font
    int halfPoints = 0;
    int color = 0;  // colour-table indices; 0 is automatic
    int background = 0;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
};

// Applies a character-format word (\f, \b, \fs, \cf ...). False, with `chr` untouched,
// for any other keyword.
bool ApplyCharFormatWord(RtfCharState& chr, RtfKeyword keyword, bool hasParam, std::int64_t param);

// Applies a paragraph-format word (\pard, \qc, \li ...); \intbl and \pard set `inTable`.
// False, with both untouched, for any other keyword.
bool ApplyParaFormatWord(ParagraphFormat& para, bool& inTable, RtfKeyword keyword, bool hasParam,
                         std::int64_t param);

}  // namespace vernalo
