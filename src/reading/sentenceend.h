#pragma once
// Where one sentence ends and the next begins in a text, for what is cut at sentence ends (an
// export's files) or needs a word to stand in (a chapter's opening).

#include <string>

namespace vernalo {

// A letter or a digit of any script: what a word is made of, as opposed to blanks, stops,
// quotes and the general punctuation block.
bool IsWordCharacter(char16_t c);

// Whether a sentence ends between the letters before `position` and those from it: a stop
// character followed by a blank, or a line break; the ends of the text count.
bool EndsSentence(const std::u16string& text, long position);

// Whether text[from, to) holds a word character.
bool HoldsWord(const std::u16string& text, long from, long to);

}  // namespace vernalo
