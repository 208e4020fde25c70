#include "text/textfind.h"

#include <algorithm>
#include <string>

namespace vernalo {

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    // Latin Extended-A pairs capitals on even codes up to U+0137, on odd ones from U+0139
    // to U+0148 and again from U+014A; U+0130, U+0138, U+0149 and U+017F stand alone.
    if ((c >= 0x0100 && c <= 0x012F) || (c >= 0x0132 && c <= 0x0137) ||
        (c >= 0x014A && c <= 0x0177))
        return (c % 2 == 0) ? c + 1 : c;
    if ((c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E))
        return (c % 2 == 1) ? c + 1 : c;
    if (c == 0x0178) return 0x00FF;
    if (c >= 0x0391 && c <= 0x03AB && c != 0x03A2) return c + 0x20;
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
    // Cyrillic pairs above the basic alphabet (Ѡ..ӿ), capitals on even codes, except the
    // combining marks and signs U+0482..U+0489 and the palochka U+04C0.
    if ((c >= 0x0460 && c <= 0x0481) || (c >= 0x048A && c <= 0x04BF) ||
        (c >= 0x04D0 && c <= 0x04FF))
        return (c % 2 == 0) ? c + 1 : c;
    if (c >= 0x04C1 && c <= 0x04CE) return (c % 2 == 1) ? c + 1 : c;
    return c;
}

bool IsWordUnit(char16_t c) {
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
               c == u'_';
    if (c >= 0xC0 && c <= 0x024F) return c != 0xD7 && c != 0xF7;
    if (c >= 0x0370 && c <= 0x03FF) return true;
    if (c >= 0x0400 && c <= 0x052F) return c < 0x0482 || c > 0x0489;
    return false;
}

namespace {

bool IsWholeWord(std::u16string_view text, std::size_t at, std::size_t length) {
    if (at > 0 && IsWordUnit(text[at - 1])) return false;
    const std::size_t end = at + length;
    return end >= text.size() || !IsWordUnit(text[end]);
}

std::u16string Folded(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out)
        c = FoldCase(c);
    return out;
}

}  // namespace

std::optional<std::size_t> FindInText(std::u16string_view text, std::u16string_view what,
                                      std::size_t selectionStart, std::size_t selectionLength,
                                      const FindOptions& options) {
    if (what.empty() || what.size() > text.size()) return std::nullopt;
    // A selection reaching past the text (a stale one) ends at the text's end.
    const bool selected = selectionLength != 0;
    selectionStart = std::min(selectionStart, text.size());
    selectionLength = std::min(selectionLength, text.size() - selectionStart);

    // Folding both sides keeps positions: one unit stays one unit.
    std::u16string foldedText, foldedWhat;
    std::u16string_view hay = text, needle = what;
    if (!options.matchCase) {
        foldedText = Folded(text);
        foldedWhat = Folded(what);
        hay = foldedText;
        needle = foldedWhat;
    }
    const std::size_t npos = std::u16string_view::npos;

    if (options.down) {
        const std::size_t from = selected ? selectionStart + selectionLength : 0;
        for (std::size_t at = hay.find(needle, from); at != npos; at = hay.find(needle, at + 1)) {
            if (!options.wholeWord || IsWholeWord(text, at, what.size())) return at;
        }
        return std::nullopt;
    }

    // Up: the match must end at or before the selection's start.
    const std::size_t limit = selected ? selectionStart : text.size();
    if (limit < what.size()) return std::nullopt;
    for (std::size_t at = hay.rfind(needle, limit - what.size()); at != npos;
         at = at == 0 ? npos : hay.rfind(needle, at - 1)) {
        if (!options.wholeWord || IsWholeWord(text, at, what.size())) return at;
    }
    return std::nullopt;
}

}  // namespace vernalo
