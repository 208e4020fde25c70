#pragma once
// Cuts the text being read into words or sentences, decides each piece's language by its
// letters and applies the pronunciation dictionaries.
//
// Text is UTF-16; positions are 0-based unit positions, the editor's own (a line break is
// one unit). Each unit is classified by its Windows-1251 byte, except that
// a comma between two digits belongs to the number, a combining mark (a stress mark) to
// the letter before it, and what a reading rule matches is one word whose speech is the
// rule's replacement.

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "dict/rules.h"
#include "reading/speechmap.h"
#include "text/codepage.h"
#include "text/language.h"

namespace vernalo {

struct WordPiece {
    std::u16string speech;             // what the voice is given
    std::u16string replacement;        // the dictionary value found for the word; empty when none
    std::u16string text;               // the spoken form when there is no replacement
    std::optional<Language> language;  // none for a word without letters of a voice that is on
    bool sentenceEnd = false;          // the word was ended by a stop character
    SpeechMap map;                     // where `speech` comes from in the text (nextWord only)
};

struct SentencePiece {
    std::u16string speech;
    std::u16string text;  // joined from the words' text, without replacements
    std::optional<Language> language;
    SpeechMap map;  // where `speech` comes from in the text
};

// The reading state of one window: the text, the read position and the word flags.
class Segmenter {
public:
    explicit Segmenter(const DictionaryStore& dictionaries) : dicts_(&dictionaries) {}

    // Which voices are on: a letter of a voice that is off goes through the other language's
    // dictionary. At least one is on.
    PerLanguage<bool> enabled{{true, true}};

    // Starts reading a new text; position is set by the caller. needGap carries over.
    void setText(std::u16string text) {
        readText = std::move(text);
        readLength = static_cast<long>(readText.size());
        rulesFrom_ = rulesTo_ = 0;
        syncedAt_ = -1;
    }

    WordPiece nextWord();
    // nextWord without `speech`, which is `replacement` when not empty, else `text`: for
    // callers that need both, so that a long word is not held once more.
    WordPiece cutWord();
    SentencePiece nextSentence();

    std::u16string readText;
    long readLength = 0;
    long position = 0;  // the next unit to read, 0-based like every position in the program

    // The language of the letters the last word held; neither for a word without letters.
    PerLanguage<bool> inLanguage{{false, false}};
    bool hasOther = false;  // the last word held characters other than letters and separators
    bool needGap = false;   // a blank goes before the next letter

private:
    // Adds a letter to the word being assembled; false when it begins the next word instead.
    bool takeLetter(char16_t c, Language letter, std::u16string& assembled);
    bool inWord() const { return inLanguage[Language::Russian] || inLanguage[Language::English]; }
    // Maps `length` units of speech given for the word just cut from `start`: unit for unit
    // when it is the text as it stands, else to the word as a whole.
    void mapWord(const WordPiece& word, long start, long length, SpeechMap& map) const;
    // The value for a word: its spelling with stress marks first, then without them.
    std::u16string lookUp(Language language, const std::u16string& key) const;

    // The reading rules' matches, found a window of whole lines at a time ahead of the reading.
    void syncRules();
    void matchWindow();
    // The language of a rule match beginning at `position`, if one does; moves past matches
    // the reading has passed and sets ruleStop_.
    std::optional<Language> ruleHere();
    // Cuts the match beginning at `position`, with the blank after it, as a word of `language`.
    void takeRule(Language language, long start, WordPiece& r);

    const DictionaryStore* dicts_;
    bool marked_ = false;                  // the word being cut holds a combining mark
    std::optional<Language> lastLetters_;  // of the last word with letters
    PerLanguage<const RuleSet*> rulesUsed_{{nullptr, nullptr}};
    PerLanguage<std::vector<RuleMatch>> matches_;
    PerLanguage<std::size_t> nextMatch_{{0, 0}};
    long rulesFrom_ = 0, rulesTo_ = 0;  // the text matches_ were found in
    long syncedAt_ = -1;                // where the last word ended: nextMatch_ holds there
    long ruleStop_ = LONG_MAX;          // where the next match begins, or the window ends
    PerLanguage<bool> stopEnabled_{{false, false}};  // the voices on when ruleStop_ was found
    std::optional<TextSpan> ruleSpan_;               // the match the last word was, as written
};

}  // namespace vernalo
