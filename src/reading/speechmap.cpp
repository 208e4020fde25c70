#include "reading/speechmap.h"

#include <algorithm>

namespace vernalo {

void SpeechMap::addCopy(long length, long textStart) {
    if (length <= 0) return;
    stretches_.push_back({end(), length, {textStart, length}, true});
}

void SpeechMap::addWhole(long length, TextSpan text) {
    if (length <= 0) return;
    stretches_.push_back({end(), length, text, false});
}

std::optional<TextSpan> SpeechMap::textOf(long offset, long length) const {
    // An empty span still names the unit it stands at.
    const long from = offset;
    const long to = offset + std::max(length, 1L);
    std::optional<TextSpan> found;
    auto it = std::upper_bound(stretches_.begin(), stretches_.end(), from,
                               [](long at, const Stretch& s) { return at < s.speech + s.length; });
    for (; it != stretches_.end() && it->speech < to; ++it) {
        TextSpan part = it->text;
        if (it->copy) {
            const long a = std::max(from, it->speech), b = std::min(to, it->speech + it->length);
            part = {it->text.start + (a - it->speech), b - a};
        }
        if (!found) {
            found = part;
        } else {
            const long a = std::min(found->start, part.start);
            const long b = std::max(found->start + found->length, part.start + part.length);
            found = TextSpan{a, b - a};
        }
    }
    return found;
}

}  // namespace vernalo
