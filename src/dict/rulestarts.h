#pragma once
// Where in a window of text a reading rule's matches can begin, from what PCRE2's own analysis
// of the compiled pattern says: the code units a match can begin with, and one unit every match
// holds. PCRE2 finds a single first unit with a vector search, but a class ([0-9], [IVX]) it
// tries unit by unit over the whole window; for such a rule the window is narrowed to the
// stretches that can hold a match, each searched with PCRE2's offset limit.
//
// Narrowing never changes what is found: a match of a rule is kept only when it lies within one
// line, so a start is left out only when no match within one line can begin there. The stretches
// hold every start PCRE2 itself would try, and the search inside them is PCRE2's own. Only the
// work a rule is allowed (PCRE2's match limit) counts differently: each stretch's search has it
// to itself, so a rule that backtracks on every start of a long line stops later, if at all.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

namespace vernalo {

// What PCRE2 takes for a line break in a rule (PCRE2_NEWLINE_ANY), as the editor does: LF,
// VT, FF, CR, NEL, LS, PS. A rule's match is kept only within one line.
inline bool IsRuleLineBreak(char16_t c) {
    return (c >= u'\n' && c <= u'\r') || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// Code units first..last, both included.
struct UnitRange {
    char16_t first = 0;
    char16_t last = 0;
};

// What pcre2_pattern_info says of a compiled pattern.
struct PatternFacts {
    uint32_t firstCodeType = 0;            // PCRE2_INFO_FIRSTCODETYPE
    uint32_t firstCodeUnit = 0;            // PCRE2_INFO_FIRSTCODEUNIT
    const uint8_t* firstBitmap = nullptr;  // PCRE2_INFO_FIRSTBITMAP: 256 bits, the last for 255 up
    uint32_t lastCodeType = 0;             // PCRE2_INFO_LASTCODETYPE
    uint32_t lastCodeUnit = 0;             // PCRE2_INFO_LASTCODEUNIT
    bool anchored = false;                 // PCRE2_ANCHORED in PCRE2_INFO_ALLOPTIONS
};

// Start offsets first..last (both included) in the window where a search begins.
struct StartSpan {
    std::size_t first = 0;
    std::size_t last = 0;
};

// One window's text and what the rules searching it share, each found once: its line breaks
// and where the units they require are.
class RuleWindow {
public:
    explicit RuleWindow(std::u16string_view text) : text_(text) {}
    std::u16string_view text() const { return text_; }
    // Offsets of the line breaks, in order.
    const std::vector<uint32_t>& lineBreaks();
    // Offsets of `unit`, in order; none when the window holds too many for them to narrow a
    // search.
    const std::vector<uint32_t>* unitsOf(char16_t unit);

private:
    struct Units {
        char16_t unit = 0;
        bool few = false;
        std::vector<uint32_t> at;
    };
    std::u16string_view text_;
    bool breaksFound_ = false;
    std::vector<uint32_t> breaks_;
    std::deque<Units> units_;  // what unitsOf gave stays where it is
};

class MatchStarts {
public:
    // Narrows nothing.
    MatchStarts() = default;
    // `pattern` is the rule's source: PCRE2's facts do not say whether a unit is to be matched
    // in either case, nor whether \K, \G or a backtracking verb (which change where a search
    // starts) are in it, so a pattern that might hold them narrows less or not at all.
    MatchStarts(std::u16string_view pattern, const PatternFacts& facts);

    // Whether spans() can narrow any window: the rule is then to be compiled with
    // PCRE2_USE_OFFSET_LIMIT.
    bool narrows() const { return narrows_; }

    // The stretches of `window` to search, in order and apart, or false to search all of it.
    // No stretches and true: the window holds no match.
    bool spans(RuleWindow& window, std::vector<StartSpan>& out) const;

private:
    bool narrows_ = false;
    bool lineStarts_ = false;        // a match begins a line
    std::vector<UnitRange> starts_;  // a match begins with one of these; empty: any unit
    bool hasRequired_ = false;
    char16_t required_ = 0;  // every match holds this unit
};

}  // namespace vernalo
