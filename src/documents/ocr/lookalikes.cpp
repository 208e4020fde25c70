#include "documents/ocr/lookalikes.h"

#include <string_view>

namespace vernalo {
namespace {

// Latin and Cyrillic letters of the same shape, pair by pair.
constexpr std::u16string_view kLatinTwins = u"ABCEHKMOPTXYaceopxy";
constexpr std::u16string_view kCyrillicTwins = u"АВСЕНКМОРТХУасеорху";
// Capitals whose small letter is the same shape, smaller.
constexpr std::u16string_view kSmallCopies = u"ВГЖЗИКЛМНОПСТХЦЧШЩЪЫЬЭЮЯCOSVWXZ";

bool IsCyrillic(char16_t c) {
    return c >= 0x0400 && c <= 0x04FF;
}

bool IsLatin(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

char16_t Lower(char16_t c) {
    if (c >= u'A' && c <= u'Z') return c + 0x20;
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;
    if (c == 0x0401) return 0x0451;  // Ё
    return c;
}

// Whether every letter of `word` has a twin in `from` (and it holds a letter at all).
bool AllTwins(std::u16string_view word, std::u16string_view from, bool (*script)(char16_t)) {
    bool any = false;
    for (char16_t c : word) {
        if (!IsLatin(c) && !IsCyrillic(c)) continue;
        if (!script(c) || from.find(c) == std::u16string_view::npos) return false;
        any = true;
    }
    return any;
}

void Swap(std::u16string& word, std::u16string_view from, std::u16string_view to) {
    for (char16_t& c : word)
        if (const auto at = from.find(c); at != std::u16string_view::npos) c = to[at];
}

}  // namespace

void FixLookAlikes(std::vector<RecognisedWord>& line) {
    long cyrillic = 0, latin = 0;
    for (const RecognisedWord& w : line)
        for (char16_t c : w.text) {
            cyrillic += IsCyrillic(c);
            latin += IsLatin(c);
        }
    for (RecognisedWord& w : line) {
        long ownCyrillic = 0, ownLatin = 0;
        for (char16_t c : w.text) {
            ownCyrillic += IsCyrillic(c);
            ownLatin += IsLatin(c);
        }
        // The rest of the line decides, and only clearly.
        const long otherCyrillic = cyrillic - ownCyrillic, otherLatin = latin - ownLatin;
        if (otherCyrillic > 2 * otherLatin && AllTwins(w.text, kLatinTwins, IsLatin))
            Swap(w.text, kLatinTwins, kCyrillicTwins);
        else if (otherLatin > 2 * otherCyrillic && AllTwins(w.text, kCyrillicTwins, IsCyrillic))
            Swap(w.text, kCyrillicTwins, kLatinTwins);
        for (std::size_t i = 0; i < w.text.size() && i < w.small.size(); ++i)
            if (w.small[i] && kSmallCopies.find(w.text[i]) != std::u16string_view::npos)
                w.text[i] = Lower(w.text[i]);
        // A Cyrillic capital after small letters is the engine's guess at a letter with a
        // breve, a tail or a descender ("своЙ", "русскомУ").
        for (std::size_t i = 1; i < w.text.size(); ++i)
            if (w.text[i] >= 0x0410 && w.text[i] <= 0x042F && w.text[i - 1] >= 0x0430 &&
                w.text[i - 1] <= 0x045F)
                w.text[i] = Lower(w.text[i]);
    }
}

}  // namespace vernalo
