#pragma once
// Letters the engine gets wrong when it reads Russian and English at once: Latin and
// Cyrillic letters that look alike ("OT" in Latin letters inside a Russian line, a Cyrillic
// "а" inside an English one), and Cyrillic small letters, most of which are small copies of
// the capitals ("СВОЙ" for "свой"), told apart by their height on the line.

#include <string>
#include <vector>

namespace vernalo {

struct RecognisedWord {
    std::u16string text;
    // Per unit of text: the letter stands no taller than the line's small letters.
    std::vector<bool> small;
};

// Puts right the words of one line: a word made only of look-alike letters of the other
// script than the line's takes the line's script, and a capital standing as low as the small
// letters becomes small where its small form has the same shape.
void FixLookAlikes(std::vector<RecognisedWord>& line);

}  // namespace vernalo
