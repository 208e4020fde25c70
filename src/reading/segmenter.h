#pragma once
// Cuts the text being read into words or sentences, decides each piece's language by its
// letters and applies the pronunciation dictionaries.
//
// Text is UTF-16; positions are 0-based unit positions, the editor's own (a line break is
// one unit). Each unit is classified by its Windows-1251 byte, except that
// a comma between two digits belongs to the number, a combining mark (a stress mark) to
// the letter of the word before it (through any marks between), and what a reading rule
// matches is one word whose speech is the rule's replacement. A word with marks is looked
// up as written: the marks the user wrote win over an entry without them.

#include <climits>
#include <memory>
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
    // How the reading stands against the reading rules: the segmenter's own, held whole in
    // its State.
    struct RuleReading {
        // Of the last word with letters: a match both languages read is read in it.
        std::optional<Language> lastLetters;
        PerLanguage<const RuleSet*> used{{nullptr, nullptr}};
        // Found in the text from..to, a window of whole lines ahead of the reading. Never
        // changed once found, so that a saved state shares them instead of a copy.
        std::shared_ptr<const PerLanguage<std::vector<RuleMatch>>> matches;
        PerLanguage<std::size_t> next{{0, 0}};  // the first match not passed, per language
        long from = 0, to = 0;
        long syncedAt = -1;    // where the last word ended: `next` holds there
        long stop = LONG_MAX;  // where the next match begins, or the window ends
        PerLanguage<bool> stopEnabled{{false, false}};  // the voices on when `stop` was found
        std::optional<TextSpan> span;                   // the match the last word was, as written
    };

public:
    explicit Segmenter(const DictionaryStore& dictionaries) : dicts_(&dictionaries) {}

    // Which voices are on: a letter of a voice that is off goes through the other language's
    // dictionary. At least one is on.
    PerLanguage<bool> enabled{{true, true}};

    // Starts reading a new text; position is set by the caller. needGap carries over.
    void setText(std::u16string text) {
        readText = std::move(text);
        readLength = static_cast<long>(readText.size());
        rules_.from = rules_.to = 0;
        rules_.syncedAt = -1;
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

    // Everything cutting a word or a sentence changes, so that a look ahead can be taken back.
    struct State {
        long position = 0;
        PerLanguage<bool> inLanguage{{false, false}};
        bool hasOther = false;
        bool needGap = false;
        RuleReading rules;
    };
    State state() const { return {position, inLanguage, hasOther, needGap, rules_}; }
    void restore(const State& state) {
        position = state.position;
        inLanguage = state.inLanguage;
        hasOther = state.hasOther;
        needGap = state.needGap;
        rules_ = state.rules;
    }

private:
    struct Cut;  // a word being cut

    // Adds a letter to the word being assembled; false when it begins the next word instead.
    bool takeLetter(char16_t c, Language letter, std::u16string& assembled);
    bool inWord() const { return inLanguage[Language::Russian] || inLanguage[Language::English]; }
    // The class the unit at `at` has in its word: a comma inside a number is part of the
    // number, an apostrophe between two letters a letter.
    CharClass kindAt(long at) const;
    // Takes the unit at `position` into the word and moves past it, or ends the word.
    void takeUnit(Cut& cut, WordPiece& r);
    void takeSeparator(char16_t c, Cut& cut, WordPiece& r);
    void takeStop(char16_t c, Cut& cut, WordPiece& r);
    void takeOtherChar(char16_t c, Cut& cut, WordPiece& r);
    // Where a rule match may begin: true when the word is that match, cut whole.
    bool cutAtRule(Cut& cut, WordPiece& r);
    // The word's language, dictionary value and text, once its last unit is taken.
    void finishWord(Cut& cut, WordPiece& r);
    // Maps `length` units of speech given for the word just cut from `start`: unit for unit
    // when it is the text as it stands, else to the word as a whole.
    void mapWord(const WordPiece& word, long start, long length, SpeechMap& map) const;

    // The reading rules' matches, found a window of whole lines at a time ahead of the reading.
    void syncRules();
    void matchWindow();
    // The language of a rule match beginning at `position`, if one does; moves past matches
    // the reading has passed and sets rules_.stop.
    std::optional<Language> ruleHere();
    // Cuts the match beginning at `position`, with the blank after it, as a word of `language`.
    void takeRule(Language language, long start, WordPiece& r);

    const DictionaryStore* dicts_;
    RuleReading rules_;
};

}  // namespace vernalo
