#include "reading/segmenter.h"

#include <algorithm>
#include <vector>

namespace vernalo {

namespace {

// The rules look this far ahead of the reading, in whole lines: a long text is matched as
// it is read, not all at once when the reading starts.
constexpr long kRuleWindow = 1 << 16;

bool IsLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

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
    if (ruleSpan_) {
        map.addWhole(length, *ruleSpan_);
        return;
    }
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

std::u16string Segmenter::lookUp(Language language, const std::u16string& key) const {
    const Dictionary& dict = (*dicts_)[language];
    std::u16string value = dict.lookup(key);
    if (!value.empty() || !marked_ || dict.empty()) return value;
    std::u16string plain;
    plain.reserve(key.size());
    for (char16_t c : key)
        if (!IsCombiningMark(c)) plain.push_back(c);
    return dict.lookup(plain);
}

void Segmenter::syncRules() {
    bool changed = false;
    for (Language l : kLanguages) {
        const RuleSet* rules = (*dicts_)[l].rules().get();
        if (rules && rules->empty()) rules = nullptr;
        changed |= rules != rulesUsed_[l];
        rulesUsed_[l] = rules;
    }
    if (!rulesUsed_[Language::Russian] && !rulesUsed_[Language::English]) {
        ruleStop_ = LONG_MAX;
        syncedAt_ = -1;
        return;
    }
    if (changed || position < rulesFrom_ || position >= rulesTo_) {
        matchWindow();
    } else if (position != syncedAt_) {
        // Mostly back to the start of the word just cut, which a sentence hands on to the next
        // one: a step or none from where the index is.
        for (Language l : kLanguages) {
            const std::vector<RuleMatch>& m = matches_[l];
            std::size_t& next = nextMatch_[l];
            next = std::min(next, m.size());
            while (next > 0 && m[next - 1].start >= position)
                --next;
            while (next < m.size() && m[next].start < position)
                ++next;
        }
    } else if (position < ruleStop_ && enabled == stopEnabled_) {
        return;  // short of the next match as it was found: nothing begins here
    }
    ruleHere();
}

void Segmenter::matchWindow() {
    // From the start of the line the reading is in, to the end of a line a window further on.
    long from = position;
    const long floor = (rulesTo_ > rulesFrom_ && position >= rulesTo_) ? rulesTo_ : 0;
    while (from > floor && !IsLineBreak(readText[static_cast<std::size_t>(from - 1)]))
        --from;
    long to = std::min(readLength, std::max(from, position) + kRuleWindow);
    while (to < readLength && !IsLineBreak(readText[static_cast<std::size_t>(to - 1)]))
        ++to;
    rulesFrom_ = from;
    rulesTo_ = std::max(to, position + 1);
    for (Language l : kLanguages) {
        matches_[l].clear();
        if (rulesUsed_[l])
            rulesUsed_[l]->findMatches(readText, from, std::min(rulesTo_, readLength), matches_[l]);
        nextMatch_[l] = 0;
    }
}

std::optional<Language> Segmenter::ruleHere() {
    if (position >= rulesTo_ && rulesTo_ < readLength) matchWindow();
    ruleStop_ = rulesTo_ < readLength ? rulesTo_ : LONG_MAX;
    stopEnabled_ = enabled;
    PerLanguage<bool> here{{false, false}};
    for (Language l : kLanguages) {
        const auto& m = matches_[l];
        std::size_t& next = nextMatch_[l];
        while (next < m.size() && m[next].start < position)
            ++next;
        if (next == m.size()) continue;
        here[l] = m[next].start == position && enabled[l];
        ruleStop_ = std::min(ruleStop_, m[next].start == position && !enabled[l]
                                            ? (next + 1 < m.size() ? m[next + 1].start : LONG_MAX)
                                            : m[next].start);
    }
    if (here[Language::Russian] && here[Language::English]) {
        // Both languages read it ("5 %"): in the language the text is in here.
        return lastLetters_.value_or(Language::Russian);
    }
    if (here[Language::Russian]) return Language::Russian;
    if (here[Language::English]) return Language::English;
    return std::nullopt;
}

void Segmenter::takeRule(Language language, long start, WordPiece& r) {
    const RuleMatch& m = matches_[language][nextMatch_[language]];
    ruleSpan_ = TextSpan{m.start, m.length};
    position = m.start + m.length;
    // The blanks before it are heard as before a word; empty speech would make the voice read
    // the text as written.
    r.replacement.assign(readText, static_cast<std::size_t>(start),
                         static_cast<std::size_t>(m.start - start));
    r.replacement += m.speech.empty() ? u" " : m.speech;
    r.sentenceEnd = false;
    if (position < readLength) {
        const CharClass next = CharClassTable()[readText[static_cast<std::size_t>(position)]];
        if (next == kSentenceStop) {
            // "§ 3." ends its sentence as a word before a stop does.
            r.replacement.push_back(readText[static_cast<std::size_t>(position)]);
            ++position;
            r.sentenceEnd = true;
        } else if (next == kSeparator) {
            r.replacement.push_back(readText[static_cast<std::size_t>(position)]);
            ++position;
        } else if (next == kRussianLetter || next == kLatinLetter) {
            r.replacement.push_back(u' ');  // the next word is not run on to it
        }
    }
    r.text.assign(readText, static_cast<std::size_t>(start),
                  static_cast<std::size_t>(position - start));
    r.language = language;
    inLanguage = {{false, false}};
    inLanguage[language] = true;
    lastLetters_ = language;
    needGap = false;
    ruleHere();
    syncedAt_ = position;
}

WordPiece Segmenter::cutWord() {
    WordPiece r;
    inLanguage = {{false, false}};
    hasOther = false;
    marked_ = false;
    ruleSpan_.reset();
    syncRules();
    const CharClass* kinds = CharClassTable();
    std::u16string assembled;  // dictionary key and, with other characters, the spoken form
    const long start = position;
    // The assembled text is still the units consumed, so it can be the raw text as it is.
    bool verbatim = !needGap;
    bool ended = false;
    char16_t endingSeparator = 0;   // the separator that ended the word, if one did
    std::vector<std::size_t> gaps;  // where a blank after a number's stop is owed to the voice
    long ruleStop = ruleStop_;      // held here: the loop runs for every unit of the text
    while (!ended && position < readLength) {
        if (position >= ruleStop) {
            const auto language = ruleHere();
            ruleStop = ruleStop_;
            if (language) {
                if (inWord() || hasOther || !assembled.empty()) {
                    ended = true;  // the match begins the next word
                    continue;
                }
                takeRule(*language, start, r);
                return r;
            }
            continue;
        }
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
                // A stress mark is part of the letter before it, and of its word.
                if (IsCombiningMark(c) && inWord() &&
                    (kinds[readText[position - 1]] != kOtherChar ||
                     IsCombiningMark(readText[position - 1]))) {
                    const Language letter =
                        inLanguage[Language::Russian] ? Language::Russian : Language::English;
                    takeLetter(c, letter, assembled);
                    marked_ = true;
                    break;
                }
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
        r.replacement = lookUp(l, assembled);
        r.language = l;
        lastLetters_ = l;
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
    syncedAt_ = position;
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
