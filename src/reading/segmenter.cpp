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
    if (rules_.span) {
        map.addWhole(length, *rules_.span);
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

void Segmenter::syncRules() {
    bool changed = false;
    for (Language l : kLanguages) {
        const RuleSet* rules = (*dicts_)[l].rules().get();
        if (rules && rules->empty()) rules = nullptr;
        changed |= rules != rules_.used[l];
        rules_.used[l] = rules;
    }
    if (!rules_.used[Language::Russian] && !rules_.used[Language::English]) {
        rules_.stop = LONG_MAX;
        rules_.syncedAt = -1;
        return;
    }
    if (changed || position < rules_.from || position >= rules_.to) {
        matchWindow();
    } else if (position != rules_.syncedAt) {
        // Mostly back to the start of the word just cut, which a sentence hands on to the next
        // one: a step or none from where the index is.
        for (Language l : kLanguages) {
            const std::vector<RuleMatch>& m = (*rules_.matches)[l];
            std::size_t& next = rules_.next[l];
            next = std::min(next, m.size());
            while (next > 0 && m[next - 1].start >= position)
                --next;
            while (next < m.size() && m[next].start < position)
                ++next;
        }
    } else if (position < rules_.stop && enabled == rules_.stopEnabled) {
        return;  // short of the next match as it was found: nothing begins here
    }
    ruleHere();
}

void Segmenter::matchWindow() {
    // From the start of the line the reading is in, to the end of a line a window further on.
    long from = position;
    const long floor = (rules_.to > rules_.from && position >= rules_.to) ? rules_.to : 0;
    while (from > floor && !IsLineBreak(readText[static_cast<std::size_t>(from - 1)]))
        --from;
    long to = std::min(readLength, std::max(from, position) + kRuleWindow);
    while (to < readLength && !IsLineBreak(readText[static_cast<std::size_t>(to - 1)]))
        ++to;
    rules_.from = from;
    rules_.to = std::max(to, position + 1);
    auto found = std::make_shared<PerLanguage<std::vector<RuleMatch>>>();
    for (Language l : kLanguages) {
        if (rules_.used[l])
            rules_.used[l]->findMatches(readText, from, std::min(rules_.to, readLength),
                                        (*found)[l]);
        rules_.next[l] = 0;
    }
    rules_.matches = std::move(found);
}

std::optional<Language> Segmenter::ruleHere() {
    if (position >= rules_.to && rules_.to < readLength) matchWindow();
    rules_.stop = rules_.to < readLength ? rules_.to : LONG_MAX;
    rules_.stopEnabled = enabled;
    PerLanguage<bool> here{{false, false}};
    for (Language l : kLanguages) {
        const auto& m = (*rules_.matches)[l];
        std::size_t& next = rules_.next[l];
        while (next < m.size() && m[next].start < position)
            ++next;
        if (next == m.size()) continue;
        here[l] = m[next].start == position && enabled[l];
        rules_.stop =
            std::min(rules_.stop, m[next].start == position && !enabled[l]
                                      ? (next + 1 < m.size() ? m[next + 1].start : LONG_MAX)
                                      : m[next].start);
    }
    if (here[Language::Russian] && here[Language::English]) {
        // Both languages read it ("5 %"): in the language the text is in here.
        return rules_.lastLetters.value_or(Language::Russian);
    }
    if (here[Language::Russian]) return Language::Russian;
    if (here[Language::English]) return Language::English;
    return std::nullopt;
}

void Segmenter::takeRule(Language language, long start, WordPiece& r) {
    const RuleMatch& m = (*rules_.matches)[language][rules_.next[language]];
    rules_.span = TextSpan{m.start, m.length};
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
    rules_.lastLetters = language;
    needGap = false;
    ruleHere();
    rules_.syncedAt = position;
}

struct Segmenter::Cut {
    long start = 0;
    std::u16string assembled;  // dictionary key and, with other characters, the spoken form
    // The assembled text is still the units consumed, so it can be the raw text as it is.
    bool verbatim = true;
    bool ended = false;
    char16_t endingSeparator = 0;   // the separator that ended the word, if one did
    std::vector<std::size_t> gaps;  // where a blank after a number's stop is owed to the voice
    long ruleStop = LONG_MAX;       // rules_.stop, held here: the loop runs for every unit
    long letterEnd = -1;            // past the last letter the word took, or a mark of it
};

WordPiece Segmenter::cutWord() {
    WordPiece r;
    inLanguage = {{false, false}};
    hasOther = false;
    rules_.span.reset();
    syncRules();
    Cut cut;
    cut.start = position;
    cut.verbatim = !needGap;
    cut.ruleStop = rules_.stop;
    while (!cut.ended && position < readLength) {
        if (position < cut.ruleStop) {
            takeUnit(cut, r);
        } else if (cutAtRule(cut, r)) {
            return r;
        }
    }
    finishWord(cut, r);
    rules_.syncedAt = position;
    return r;
}

bool Segmenter::cutAtRule(Cut& cut, WordPiece& r) {
    const auto language = ruleHere();
    cut.ruleStop = rules_.stop;
    if (!language) return false;
    if (inWord() || hasOther || !cut.assembled.empty()) {
        cut.ended = true;  // the match begins the next word
        return false;
    }
    takeRule(*language, cut.start, r);
    return true;
}

CharClass Segmenter::kindAt(long at) const {
    const CharClass* kinds = CharClassTable();
    const char16_t c = readText[static_cast<std::size_t>(at)];
    const bool inside = at > 0 && at + 1 < readLength;
    if (!inside) return kinds[c];
    const char16_t before = readText[static_cast<std::size_t>(at - 1)];
    const char16_t after = readText[static_cast<std::size_t>(at + 1)];
    // A comma inside a number ("3,5", "1,000") is part of it, like the point in "3.5".
    if (c == u',' && IsDigit(before) && IsDigit(after)) return kOtherChar;
    // An apostrophe between two letters of the word is a letter of it: as an other
    // character it would make "don't" into "don' t", which the voice reads "don tee".
    if (IsApostrophe(c) && inWord() && kinds[before] == kinds[after] &&
        (kinds[after] == kRussianLetter || kinds[after] == kLatinLetter))
        return kinds[after];
    return kinds[c];
}

void Segmenter::takeUnit(Cut& cut, WordPiece& r) {
    const char16_t c = readText[static_cast<std::size_t>(position)];
    const CharClass kind = kindAt(position);
    switch (kind) {
        case kRussianLetter:
        case kLatinLetter: {
            const Language letter = kind == kRussianLetter ? Language::Russian : Language::English;
            if (!takeLetter(c, letter, cut.assembled)) {
                cut.ended = true;  // begins the next word
                return;
            }
            if (!enabled[letter]) cut.verbatim = false;
            // A mark after an apostrophe taken as a letter stays an other character.
            if (CharClassTable()[c] == kind) cut.letterEnd = position + 1;
            break;
        }
        case kSeparator:
            takeSeparator(c, cut, r);
            break;
        case kSentenceStop:
            takeStop(c, cut, r);
            break;
        case kOtherChar:
            takeOtherChar(c, cut, r);
            break;
    }
    ++position;
}

void Segmenter::takeSeparator(char16_t c, Cut& cut, WordPiece& r) {
    cut.verbatim = false;
    if (inWord()) {
        cut.ended = true;
        cut.endingSeparator = c;
    } else if (!cut.assembled.empty() && CharClassTable()[cut.assembled.back()] == kSentenceStop &&
               (cut.gaps.empty() || cut.gaps.back() != cut.assembled.size())) {
        // "1. Open", "глава 5. Потом": the stop ends a number, not a decimal; run on to the
        // next word, the voice would read the point ("one dot open").
        cut.gaps.push_back(cut.assembled.size());
    }
    r.sentenceEnd = false;
}

void Segmenter::takeStop(char16_t c, Cut& cut, WordPiece& r) {
    if (inWord()) {
        cut.ended = true;
        r.sentenceEnd = true;
    }
    if (needGap) {
        cut.assembled.push_back(c);
        needGap = false;
    } else {
        cut.verbatim = false;
    }
}

void Segmenter::takeOtherChar(char16_t c, Cut& cut, WordPiece& r) {
    // A stress mark is part of the letter before it, and of its word: after a letter the
    // word took, or after a mark that is part of one. After anything else it is a sign of
    // its own, and so is a second mark after it.
    if (IsCombiningMark(c) && inWord() && cut.letterEnd == position) {
        takeLetter(c, inLanguage[Language::Russian] ? Language::Russian : Language::English,
                   cut.assembled);
        cut.letterEnd = position + 1;
        return;
    }
    cut.assembled.push_back(c);
    needGap = true;
    hasOther = true;
    r.sentenceEnd = false;
}

void Segmenter::finishWord(Cut& cut, WordPiece& r) {
    // A word holds the letters of one language at most. Its key is as written, marks and all.
    for (Language l : kLanguages) {
        if (!inLanguage[l]) continue;
        r.replacement = (*dicts_)[l].lookup(cut.assembled);
        r.language = l;
        rules_.lastLetters = l;
        break;
    }
    if (hasOther) {
        r.text = std::move(cut.assembled);
        for (auto at = cut.gaps.rbegin(); at != cut.gaps.rend(); ++at)
            r.text.insert(*at, 1, u' ');
        // The key is looked up without it, but the voice hears where the word ended: without
        // it, the next word would be run on ("2.1 isout").
        if (cut.endingSeparator) r.text.push_back(cut.endingSeparator);
    } else if (cut.verbatim) {
        r.text = std::move(cut.assembled);  // the same units: a long word is not held twice
    } else {
        // The raw text is exactly the units consumed.
        r.text.assign(readText, static_cast<std::size_t>(cut.start),
                      static_cast<std::size_t>(position - cut.start));
    }
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
