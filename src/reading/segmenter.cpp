#include "reading/segmenter.h"

#include <vector>

namespace vernalo {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsApostrophe(char16_t c) {
    return c == u'\'' || c == u'\u2019';
}

}  // namespace

bool Segmenter::takeLetter(char16_t c, Language letter, std::u16string& assembled) {
    const Language other = OtherLanguage(letter);
    if (inLanguage[other]) return false;
    if (needGap) {
        assembled.push_back(u' ');
        needGap = false;
    }
    if (enabled[letter]) {
        assembled.push_back(c);
        inLanguage[letter] = true;
    } else {
        // A letter of a switched-off voice goes through the other language's dictionary.
        assembled += (*dicts_)[other].lookup(std::u16string_view(&c, 1));
    }
    return true;
}

WordPiece Segmenter::nextWord() {
    const long start = position;
    WordPiece r = cutWord();
    r.speech = r.replacement.empty() ? r.text : r.replacement;
    mapWord(r, start, static_cast<long>(r.speech.size()), r.map);
    return r;
}

void Segmenter::mapWord(const WordPiece& word, long start, long length, SpeechMap& map) const {
    if (word.replacement.empty() && !hasOther) {
        map.addCopy(length, start);
        return;
    }
    // The word without the blanks and stops around it: the dictionary key, as the editor shows it.
    const CharClass* kinds = CharClassTable();
    auto edge = [&](long at) {
        const CharClass k = kinds[readText[static_cast<std::size_t>(at)]];
        return k == kSeparator || k == kSentenceStop;
    };
    long from = start, to = position;  // `to` past the word
    while (from < to && edge(from))
        ++from;
    while (to > from && edge(to - 1))
        --to;
    if (from == to) from = start, to = position;
    map.addWhole(length, {from, to - from});
}

WordPiece Segmenter::cutWord() {
    WordPiece r;
    inLanguage = {{false, false}};
    hasOther = false;
    const CharClass* kinds = CharClassTable();
    std::u16string assembled;  // dictionary key and, with other characters, the spoken form
    const long start = position;
    // The assembled text is still the units consumed, so it can be the raw text as it is.
    bool verbatim = !needGap;
    bool ended = false;
    char16_t endingSeparator = 0;   // the separator that ended the word, if one did
    std::vector<std::size_t> gaps;  // where a blank after a number's stop is owed to the voice
    while (!ended && position < readLength) {
        const char16_t c = readText[position];
        CharClass kind = kinds[c];
        const bool inside = position > 0 && position + 1 < readLength;
        // A comma inside a number ("3,5", "1,000") is part of it, like the point in "3.5".
        if (c == u',' && inside && IsDigit(readText[position - 1]) &&
            IsDigit(readText[position + 1]))
            kind = kOtherChar;
        // An apostrophe between two letters of the word is a letter of it: as an other
        // character it would make "don't" into "don' t", which the voice reads "don tee".
        if (IsApostrophe(c) && inside && inWord() &&
            kinds[readText[position - 1]] == kinds[readText[position + 1]]) {
            const CharClass letters = kinds[readText[position + 1]];
            if (letters == kRussianLetter || letters == kLatinLetter) kind = letters;
        }
        switch (kind) {
            case kRussianLetter:
            case kLatinLetter: {
                const Language letter =
                    kind == kRussianLetter ? Language::Russian : Language::English;
                if (!takeLetter(c, letter, assembled)) {
                    ended = true;  // begins the next word
                    continue;
                }
                if (!enabled[letter]) verbatim = false;
                break;
            }
            case kSeparator:
                verbatim = false;
                if (inWord()) {
                    ended = true;
                    endingSeparator = c;
                } else if (!assembled.empty() && kinds[assembled.back()] == kSentenceStop &&
                           (gaps.empty() || gaps.back() != assembled.size())) {
                    // "1. Open", "глава 5. Потом": the stop ends a number, not a decimal; run
                    // on to the next word, the voice would read the point ("one dot open").
                    gaps.push_back(assembled.size());
                }
                r.sentenceEnd = false;
                break;
            case kSentenceStop:
                if (inWord()) {
                    ended = true;
                    r.sentenceEnd = true;
                }
                if (needGap) {
                    assembled.push_back(c);
                    needGap = false;
                } else {
                    verbatim = false;
                }
                break;
            case kOtherChar:
                assembled.push_back(c);
                needGap = true;
                hasOther = true;
                r.sentenceEnd = false;
                break;
        }
        ++position;
    }
    // A word holds the letters of one language at most.
    for (Language l : kLanguages) {
        if (!inLanguage[l]) continue;
        r.replacement = (*dicts_)[l].lookup(assembled);
        r.language = l;
        break;
    }
    if (hasOther) {
        r.text = std::move(assembled);
        for (auto at = gaps.rbegin(); at != gaps.rend(); ++at)
            r.text.insert(*at, 1, u' ');
        // The key is looked up without it, but the voice hears where the word ended: without
        // it, the next word would be run on ("2.1 isout").
        if (endingSeparator) r.text.push_back(endingSeparator);
    } else if (verbatim) {
        r.text = std::move(assembled);  // the same units: a long word is not held twice
    } else {
        // The raw text is exactly the units consumed.
        r.text.assign(readText, static_cast<std::size_t>(start),
                      static_cast<std::size_t>(position - start));
    }
    return r;
}

SentencePiece Segmenter::nextSentence() {
    std::optional<Language> lang;
    PerLanguage<std::u16string> plain, spoken;
    SpeechMap map;  // the speech is built in one language only
    bool ended = false;
    const bool both = enabled[Language::Russian] && enabled[Language::English];
    // With one voice off, everything read goes to the one that is on.
    const Language only = enabled[Language::English] ? Language::English : Language::Russian;
    while (!ended && position < readLength) {
        const long wordStart = position;
        WordPiece w = cutWord();
        auto take = [&](Language l) {
            // The first word's texts become the sentence's own, without a copy.
            const std::u16string& piece = w.replacement.empty() ? w.text : w.replacement;
            mapWord(w, wordStart, static_cast<long>(piece.size()), map);
            if (spoken[l].empty()) {
                spoken[l] = w.replacement.empty() ? w.text : std::move(w.replacement);
            } else {
                spoken[l] += piece;
            }
            if (plain[l].empty()) {
                plain[l] = std::move(w.text);
            } else {
                plain[l] += w.text;
            }
        };
        if (!both) {
            take(only);
        } else if (lang) {
            if (inLanguage[*lang]) {
                take(*lang);
            } else {
                ended = true;
                position = wordStart;  // the word starts the next piece
            }
        } else if (inLanguage[Language::Russian]) {
            lang = Language::Russian;
            take(*lang);
        } else if (inLanguage[Language::English]) {
            lang = Language::English;
            take(*lang);
        }
        if (w.sentenceEnd) ended = true;
    }
    SentencePiece r;
    r.language = both ? lang : std::optional<Language>(only);
    if (r.language) {
        r.text = std::move(plain[*r.language]);
        r.speech = std::move(spoken[*r.language]);
        r.map = std::move(map);
    }
    return r;
}

}  // namespace vernalo
