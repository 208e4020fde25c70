#pragma once
// Stress marks for the built-in engine. Its Russian rules place the stress by their own
// dictionary and ignore a combining acute (U+0301) or grave (U+0300) after a vowel; a word
// whose mark moves the stress is therefore given as the engine's own phonemes for the word,
// with the stress moved to the marked vowel, in its phoneme input ([[...]]).

#include <functional>
#include <string>
#include <vector>

namespace vernalo {

struct StressedText {
    std::u16string text;    // the text for the engine
    bool phonemes = false;  // holds phoneme input: synthesize with the engine's phoneme flag
    // For each UTF-16 unit of `text`, the units of the source text it stands for [from, to):
    // a respelled word stands for the whole word.
    struct Source {
        int from;
        int to;
    };
    std::vector<Source> source;
};

// The engine's phonemes for one plain word (its ASCII phoneme names, as it prints them).
using WordPhonemes = std::function<std::string(const std::u16string& word)>;

// Respells the Russian words of `text` whose stress mark puts the stress where the engine
// would not. A word marked on «ё» or on its only vowel, or where the engine stresses the
// marked vowel anyway, stays as written; so does one whose phonemes cannot be lined up with
// its vowels. "[[" elsewhere in the text is broken up so that it is read, not taken as
// phoneme input.
StressedText ApplyStressMarks(const std::u16string& text, const WordPhonemes& phonemesOf);

// Whether the text holds a stress mark the engine would ignore.
bool HasStressMark(const std::u16string& text);

}  // namespace vernalo
