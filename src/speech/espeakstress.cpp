#include "speech/espeakstress.h"

#include <string_view>

#include "text/codepage.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

bool IsStress(char16_t c) {
    return c == 0x0301 || c == 0x0300;
}

bool IsCyrillicLetter(char16_t c) {
    return (c >= 0x0410 && c <= 0x044F) || c == 0x0401 || c == 0x0451;
}

// The engine's full (stressed) vowel for a Russian vowel letter, or none for a consonant.
const char* FullVowel(char16_t letter) {
    switch (letter) {
        case u'а':
        case u'А':
        case u'я':
        case u'Я':
            return "a";
        case u'о':
        case u'О':
            return "o";
        case u'у':
        case u'У':
        case u'ю':
        case u'Ю':
            return "u";
        case u'ы':
        case u'Ы':
            return "y";
        case u'и':
        case u'И':
            return "i";
        case u'э':
        case u'Э':
            return "E";
        case u'е':
        case u'Е':
            return "e";
        case u'ё':
        case u'Ё':
            return "8";
        default:
            return nullptr;
    }
}

// One vowel of the engine's phonemes: where it begins and ends in the string.
struct VowelAt {
    std::size_t from, to;
};

// The vowels of a word's phonemes in the engine's ASCII names; "@-" is a glide the engine
// puts between consonants ("ры" → "@-ry"), not the vowel of a letter.
std::vector<VowelAt> Vowels(const std::string& p) {
    std::vector<VowelAt> out;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (std::string_view("aAeEiIoOuUyV@8").find(p[i]) == std::string_view::npos) continue;
        std::size_t end = i + 1;
        if (p[i] == '@' && end < p.size() && p[end] == '-') {
            i = end;
            continue;
        }
        while (end < p.size() && (p[end] == '#' || p[end] == '"' || p[end] == ':'))
            ++end;
        out.push_back({i, end});
        i = end - 1;
    }
    return out;
}

// The stress of the marked vowel moved into the engine's phonemes of the plain word; empty
// when the engine stresses it already or the phonemes do not line up with the letters.
std::string Restressed(const std::u16string& plain, std::size_t markedLetter, std::string p) {
    std::size_t letters = 0, marked = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (!FullVowel(plain[i])) continue;
        if (i == markedLetter) marked = letters;
        ++letters;
    }
    while (!p.empty() && (p.back() == ' ' || p.back() == '\n'))
        p.pop_back();
    while (!p.empty() && p.front() == ' ')
        p.erase(0, 1);
    if (p.find(' ') != std::string::npos) return {};  // read as more than one word
    std::vector<VowelAt> vowels = Vowels(p);
    if (vowels.size() != letters) return {};
    // The engine marks the stress just before the vowel, or before the syllable's consonants.
    auto stressedBefore = [&](std::size_t v) {
        const std::size_t from = v == 0 ? 0 : vowels[v - 1].to;
        return p.find('\'', from) < vowels[v].from;
    };
    if (stressedBefore(marked)) return {};
    std::string out;
    for (std::size_t v = 0, at = 0; v < vowels.size(); ++v) {
        std::string between = p.substr(at, vowels[v].from - at);
        std::erase(between, '\'');
        out += between;
        std::string vowel = p.substr(vowels[v].from, vowels[v].to - vowels[v].from);
        if (v == marked) {
            std::size_t letter = 0, n = 0;
            for (; letter < plain.size(); ++letter)
                if (FullVowel(plain[letter]) && n++ == v) break;
            out += '\'';
            out += FullVowel(plain[letter]);
        } else if (stressedBefore(v) && (vowel == "o" || vowel == "a" || vowel == "A")) {
            // The vowel that was stressed is reduced as the engine reduces unstressed ones.
            out += 'V';
        } else if (stressedBefore(v) && (vowel == "e" || vowel == "E")) {
            out += "I";
        } else {
            out += vowel;
        }
        at = vowels[v].to;
        if (v + 1 == vowels.size()) {
            std::string rest = p.substr(at);
            std::erase(rest, '\'');
            out += rest;
        }
    }
    return out;
}

}  // namespace

bool HasStressMark(const std::u16string& text) {
    for (std::size_t i = 1; i < text.size(); ++i)
        if (IsCombiningMark(text[i]) && IsCyrillicLetter(text[i - 1])) return true;
    return false;
}

StressedText ApplyStressMarks(const std::u16string& text, const WordPhonemes& phonemesOf) {
    StressedText r;
    std::u16string out;
    auto copy = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            // "[[" would start phoneme input.
            if (text[i] == u'[' && !out.empty() && out.back() == u'[') {
                out.push_back(u' ');
                r.source.push_back({static_cast<int>(i), static_cast<int>(i)});
            }
            out.push_back(text[i]);
            r.source.push_back({static_cast<int>(i), static_cast<int>(i) + 1});
        }
    };
    std::size_t done = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsCyrillicLetter(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && (IsCyrillicLetter(text[end]) || IsCombiningMark(text[end])))
            ++end;
        // The word without its marks, and the letter the stress mark follows.
        std::u16string plain;
        std::size_t markedLetter = std::u16string::npos;
        bool anyMark = false;
        for (std::size_t k = i; k < end; ++k) {
            if (!IsCombiningMark(text[k])) {
                plain.push_back(text[k]);
                continue;
            }
            anyMark = true;
            if (IsStress(text[k]) && !plain.empty() && FullVowel(plain.back()))
                markedLetter = plain.size() - 1;
        }
        if (!anyMark) {
            i = end;
            continue;
        }
        copy(done, i);
        std::size_t letters = 0;
        for (char16_t c : plain)
            letters += FullVowel(c) ? 1 : 0;
        std::string phonemes;
        if (markedLetter != std::u16string::npos && letters > 1 &&
            std::string_view(FullVowel(plain[markedLetter])) != "8")
            phonemes = Restressed(plain, markedLetter, phonemesOf(plain));
        if (phonemes.empty()) {
            // The engine reads a mark as a break inside the word ("я́блоко" as "я блоко"):
            // it gets the plain word.
            std::size_t k = i;
            for (char16_t c : plain) {
                while (IsCombiningMark(text[k]))
                    ++k;
                out.push_back(c);
                r.source.push_back({static_cast<int>(k), static_cast<int>(k) + 1});
                ++k;
            }
        } else {
            if (!out.empty() && out.back() == u'[') {
                out.push_back(u' ');
                r.source.push_back({static_cast<int>(i), static_cast<int>(i)});
            }
            const std::u16string respelled = u"[[" + Utf8ToUtf16(phonemes) + u"]]";
            out += respelled;
            r.source.insert(r.source.end(), respelled.size(),
                            {static_cast<int>(i), static_cast<int>(end)});
            r.phonemes = true;
        }
        done = i = end;
    }
    copy(done, text.size());
    r.text = std::move(out);
    return r;
}

}  // namespace vernalo
