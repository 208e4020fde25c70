#include "dict/rulestarts.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vernalo {
namespace {

// A search call costs about as much as PCRE2 trying this many units of a class one by one: a
// stretch is not cut in two for a shorter gap, and a window is searched whole when its
// stretches would cost as much.
constexpr std::size_t kSearchCost = 128;
// A required unit narrows a window to the lines that hold it when it is at most one in this
// many units; finding the lines of more costs more than it saves.
constexpr std::size_t kFewUnits = 256;
// More ranges than this make the scan for first units cost more than it saves.
constexpr std::size_t kMaxRanges = 4;

bool InRanges(char16_t c, const std::vector<UnitRange>& ranges) {
    return std::any_of(ranges.begin(), ranges.end(), [c](const UnitRange& r) {
        return static_cast<char16_t>(c - r.first) <= static_cast<char16_t>(r.last - r.first);
    });
}

#ifdef __SSE2__
// Which of eight units are within `count` ranges, a unit's lane all ones: c - first <=
// last - first, unsigned, is a saturating subtraction that leaves nothing. Ranges of one unit
// each (`units`) take one comparison.
template <std::size_t count, bool units>
__m128i Within(const char16_t* at, const __m128i* first, const __m128i* width) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    __m128i hit = _mm_setzero_si128();
    for (std::size_t k = 0; k < count; ++k) {
        if constexpr (units)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi16(v, first[k]));
        else
            hit = _mm_or_si128(hit,
                               _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, first[k]), width[k]),
                                               _mm_setzero_si128()));
    }
    return hit;
}

// ForEachUnit 32 units at a time; returns where it stopped, or SIZE_MAX when `found` asked to.
template <std::size_t count, bool units, class Found>
std::size_t ForEachUnitVector(std::u16string_view text, const std::vector<UnitRange>& ranges,
                              Found& found) {
    __m128i first[count], width[count];
    for (std::size_t k = 0; k < count; ++k) {
        first[k] = _mm_set1_epi16(static_cast<short>(ranges[k].first));
        width[k] = _mm_set1_epi16(static_cast<short>(ranges[k].last - ranges[k].first));
    }
    std::size_t i = 0;
    for (; i + 32 <= text.size(); i += 32) {
        const char16_t* at = text.data() + i;
        const __m128i a = Within<count, units>(at, first, width);
        const __m128i b = Within<count, units>(at + 8, first, width);
        const __m128i c = Within<count, units>(at + 16, first, width);
        const __m128i d = Within<count, units>(at + 24, first, width);
        // One bit a unit, in text order.
        auto mask = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(a, b))) |
                    static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(c, d))) << 16;
        for (; mask != 0; mask &= mask - 1)
            if (!found(i + static_cast<std::size_t>(__builtin_ctz(mask)))) return SIZE_MAX;
    }
    return i;
}

template <std::size_t count, class Found>
std::size_t ForEachUnitVector(std::u16string_view text, const std::vector<UnitRange>& ranges,
                              Found& found) {
    const bool units = std::all_of(ranges.begin(), ranges.end(),
                                   [](const UnitRange& r) { return r.first == r.last; });
    return units ? ForEachUnitVector<count, true>(text, ranges, found)
                 : ForEachUnitVector<count, false>(text, ranges, found);
}
#endif

// Calls found(offset) for every unit of `text` within `ranges`, in order, while it returns
// true; false when it did not. Not inlined: its caller's own ranges are not to be compiled into
// the cases for more.
template <class Found>
[[gnu::noinline]] bool ForEachUnit(std::u16string_view text, const std::vector<UnitRange>& ranges,
                                   Found&& found) {
    std::size_t i = 0;
#ifdef __SSE2__
    switch (ranges.size()) {
        case 1:
            i = ForEachUnitVector<1>(text, ranges, found);
            break;
        case 2:
            i = ForEachUnitVector<2>(text, ranges, found);
            break;
        case 3:
            i = ForEachUnitVector<3>(text, ranges, found);
            break;
        case 4:
            i = ForEachUnitVector<4>(text, ranges, found);
            break;
        default:
            break;
    }
    if (i == SIZE_MAX) return false;
#endif
    for (; i < text.size(); ++i)
        if (InRanges(text[i], ranges) && !found(i)) return false;
    return true;
}

// Whether the pattern might set (?i) anywhere: PCRE2's facts then hold a unit that stands for
// its other case too, which a scan for the unit itself would miss.
bool MayIgnoreCase(std::u16string_view pattern) {
    for (std::size_t at = pattern.find(u"(?"); at != std::u16string_view::npos;
         at = pattern.find(u"(?", at + 1)) {
        for (std::size_t i = at + 2; i < pattern.size(); ++i) {
            const char16_t c = pattern[i];
            if (c == u'i') return true;
            if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'-' || c == u'^'))
                break;
        }
    }
    return false;
}

}  // namespace

const std::vector<uint32_t>& RuleWindow::lineBreaks() {
    if (!breaksFound_) {
        static const std::vector<UnitRange> kBreaks = {
            {u'\n', u'\r'}, {0x85, 0x85}, {0x2028, 0x2029}};
        ForEachUnit(text_, kBreaks, [this](std::size_t at) {
            breaks_.push_back(static_cast<uint32_t>(at));
            return true;
        });
        breaksFound_ = true;
    }
    return breaks_;
}

const std::vector<uint32_t>* RuleWindow::unitsOf(char16_t unit) {
    for (const Units& u : units_)
        if (u.unit == unit) return u.few ? &u.at : nullptr;
    Units& u = units_.emplace_back();
    u.unit = unit;
    const std::size_t most = text_.size() / kFewUnits;
    u.few = ForEachUnit(text_, {{unit, unit}}, [&u, most](std::size_t at) {
        u.at.push_back(static_cast<uint32_t>(at));
        return u.at.size() <= most;
    });
    return u.few ? &u.at : nullptr;
}

MatchStarts::MatchStarts(std::u16string_view pattern, const PatternFacts& facts) {
    // \K reports a start after where the search began, \G and an anchored pattern match where
    // it began only, and (*SKIP), (*COMMIT) and the like decide where the next search begins:
    // with any of them, where a search begins changes what it finds.
    if (facts.anchored || pattern.find(u"\\K") != std::u16string_view::npos ||
        pattern.find(u"\\G") != std::u16string_view::npos ||
        pattern.find(u"(*") != std::u16string_view::npos)
        return;
    // One first unit PCRE2 finds with a vector search of its own, as fast as this.
    if (facts.firstCodeType == 1) return;
    if (facts.firstCodeType == 2) {
        lineStarts_ = true;
    } else if (facts.firstBitmap && !(facts.firstBitmap[31] & 0x80)) {
        // Bit 255 stands for every unit from 255 up, letters of most scripts: no narrowing.
        for (unsigned c = 0; c < 255; ++c) {
            if (!(facts.firstBitmap[c / 8] & (1u << (c % 8)))) continue;
            if (!starts_.empty() && starts_.back().last + 1u == c)
                starts_.back().last = static_cast<char16_t>(c);
            else
                starts_.push_back({static_cast<char16_t>(c), static_cast<char16_t>(c)});
        }
        if (starts_.size() > kMaxRanges) starts_.clear();
    }
    if (facts.lastCodeType == 1 && !MayIgnoreCase(pattern)) {
        hasRequired_ = true;
        required_ = static_cast<char16_t>(facts.lastCodeUnit);
    }
    narrows_ = lineStarts_ || !starts_.empty() || hasRequired_;
}

bool MatchStarts::spans(RuleWindow& window, std::vector<StartSpan>& out) const {
    out.clear();
    if (!narrows_) return false;
    const std::u16string_view text = window.text();
    // A kept match lies within one line, so it begins on a line that holds the required unit,
    // at or before the last one there. Not worth finding for a unit on most lines.
    std::vector<StartSpan> lines;
    const std::vector<uint32_t>* required = hasRequired_ ? window.unitsOf(required_) : nullptr;
    if (required) {
        if (required->empty()) return true;
        std::size_t floor = 0;  // past the last unit of the line before
        for (const uint32_t r : *required) {
            std::size_t start = r;
            while (start > floor && !IsRuleLineBreak(text[start - 1]))
                --start;
            if (start == floor && !lines.empty() && !IsRuleLineBreak(text[floor - 1]))
                lines.back().last = r;  // on the line of the one before
            else
                lines.push_back({start, r});
            floor = r + 1;
        }
    }
    // What searching the stretches would cost, in units PCRE2 tries.
    std::size_t cost = 0;
    auto add = [&out, &cost](std::size_t start) {
        if (!out.empty() && start <= out.back().last + kSearchCost) {
            cost += start - out.back().last;
            out.back().last = start;
        } else {
            cost += kSearchCost + 1;
            out.push_back({start, start});
        }
    };
    if (lineStarts_) {
        if (required) {
            for (const StartSpan& line : lines)
                add(line.first);
        } else {
            add(0);
            for (const uint32_t b : window.lineBreaks())
                if (b + 1u < text.size()) add(b + 1u);
        }
    } else if (!starts_.empty()) {
        if (required) {
            for (const StartSpan& line : lines)
                ForEachUnit(text.substr(line.first, line.last - line.first + 1), starts_,
                            [&](std::size_t c) {
                                add(line.first + c);
                                return true;
                            });
        } else {
            // Given up once the first eighth shows the stretches costing half the window.
            const std::size_t sample = text.size() / 8;
            if (!ForEachUnit(text, starts_, [&](std::size_t c) {
                    add(c);
                    return c < sample || 2 * cost <= c;
                })) {
                out.clear();
                return false;
            }
        }
    } else if (required) {
        out = std::move(lines);
        for (const StartSpan& s : out)
            cost += kSearchCost + s.last - s.first + 1;
    } else {
        return false;
    }
    // Searched whole unless the stretches clearly cost less: within them PCRE2 loses the start
    // it found ahead in one search.
    if (2 * cost >= text.size()) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace vernalo
