#pragma once
// Cuts the text being read into words or sentences, decides each piece's language by its
// letters and applies the pronunciation dictionaries.
//
// Text is UTF-16; positions are 1-based unit positions, equal to editor positions + 1
// (a line break is one unit). Each unit is classified by its Windows-1251 byte.

#include <functional>
#include <string>

#include "dict/dictionary.h"
#include "documents/codepage.h"

namespace vernalo {

struct TResultWord {
    std::u16string Speech;       // what the voice is given
    std::u16string Replacement;  // the dictionary value found for the word; empty when none
    std::u16string Text;         // the spoken form when there is no replacement
    bool Russian = false;
    bool English = false;
    bool SentenceEnd = false;  // the word was ended by a stop character
};

struct TResultSentence {
    std::u16string Speech;
    std::u16string Text;  // joined from the words' Text, without replacements
    bool Russian = false;
    bool English = false;
};

// The reading state of one window: the text, the read position and the word flags.
class Segmenter {
public:
    explicit Segmenter(const DictStore& dictionaries) : dicts_(&dictionaries) {}

    // The voice switches, read each time they are needed. Both on by default.
    std::function<bool()> EnabledRU = [] { return true; };
    std::function<bool()> EnabledEN = [] { return true; };

    // Starts reading a new text; ReadPos is set by the caller. NeedGap carries over.
    void SetText(std::u16string text) {
        ReadText = std::move(text);
        ReadLength = static_cast<long>(ReadText.size());
    }

    TResultWord NextWord();
    TResultSentence NextSentence();

    std::u16string ReadText;
    long ReadLength = 0;
    long ReadPos = 1;

    bool InRussian = false;
    bool InEnglish = false;
    bool HasOther = false;
    bool NeedGap = false;

private:
    const DictStore* dicts_;
};

}  // namespace vernalo
