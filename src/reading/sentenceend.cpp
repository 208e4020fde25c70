#include "reading/sentenceend.h"

#include <algorithm>

namespace vernalo {

namespace {

bool IsStop(char16_t c) {
    return c == u'.' || c == u'!' || c == u'?' || c == u'\u2026';
}

}  // namespace

bool IsWordCharacter(char16_t c) {
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    return c >= 0xC0 && !(c >= 0x2000 && c <= 0x206F);  // not the general punctuation block
}

bool EndsSentence(const std::u16string& text, long position) {
    const long size = static_cast<long>(text.size());
    long from = std::clamp(position, 0L, size);
    long to = from;
    while (from > 0 && !IsWordCharacter(text[static_cast<std::size_t>(from - 1)]))
        --from;
    while (to < size && !IsWordCharacter(text[static_cast<std::size_t>(to)]))
        ++to;
    bool stop = false;
    for (long i = from; i < to; ++i) {
        const char16_t c = text[static_cast<std::size_t>(i)];
        if (c == u'\n' || c == u'\r' || c == u'\u2029') return true;
        if (IsStop(c)) stop = true;
        if (stop && (c == u' ' || c == u'\t' || c == u'\u00A0')) return true;
    }
    return from == 0 || to == size;
}

bool HoldsWord(const std::u16string& text, long from, long to) {
    const long end = std::min(to, static_cast<long>(text.size()));
    for (long i = std::max(from, 0L); i < end; ++i)
        if (IsWordCharacter(text[static_cast<std::size_t>(i)])) return true;
    return false;
}

}  // namespace vernalo
