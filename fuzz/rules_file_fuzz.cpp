// The reading rules file against its format: every line is blank, a comment, a rule or a
// problem naming that line; and whatever the rules, their matches in any text are in order,
// apart, inside the text and each within one line, and the same however much of the text is
// searched.

#include <cstddef>
#include <cstdint>
#include <string>

#include "dict/rules.h"
#include "fuzzcheck.h"
#include "text/textcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RuleSet rules(bytes, "f.rules");

    // The lines as the format counts them: LF ends a line, a CR before it belongs to it; a
    // line whose first non-blank is '#' is a comment.
    std::string_view body = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
    const std::u16string text = Utf8ToUtf16(body);
    std::size_t ruleLines = 0, lines = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find(u'\n', at);
        if (end == std::u16string::npos) end = text.size();
        std::u16string_view line(text.data() + at, end - at);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        ++lines;
        const std::size_t first = line.find_first_not_of(u" \t");
        if (first != std::u16string_view::npos && line[first] != u'#') ++ruleLines;
        at = end + 1;
    }
    FUZZ_CHECK(rules.size() + rules.problems().size() == ruleLines,
               std::to_string(rules.size()) + " rules and " +
                   std::to_string(rules.problems().size()) + " problems for " +
                   std::to_string(ruleLines) + " rule lines");
    for (const std::string& problem : rules.problems()) {
        FUZZ_CHECK(problem.rfind("f.rules:", 0) == 0, problem);
        const long line = std::stol(problem.substr(8));
        FUZZ_CHECK(line >= 1 && static_cast<std::size_t>(line) <= lines, problem);
    }

    // The file's own text is as good a subject as any, matched in two windows.
    const long length = static_cast<long>(text.size());
    long split = length / 2;
    while (split < length && text[static_cast<std::size_t>(split)] != u'\n')
        ++split;
    split = std::min(length, split + 1);
    std::vector<RuleMatch> found;
    rules.findMatches(text, 0, split, found);
    const std::size_t first = found.size();
    rules.findMatches(text, split, length, found);
    long past = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const RuleMatch& m = found[i];
        const long from = i < first ? 0 : split, to = i < first ? split : length;
        FUZZ_CHECK(m.length > 0 && m.start >= std::max(from, past) && m.start + m.length <= to,
                   "match " + std::to_string(m.start) + "+" + std::to_string(m.length));
        FUZZ_CHECK(
            text.substr(static_cast<std::size_t>(m.start), static_cast<std::size_t>(m.length))
                    .find_first_of(u"\n\r\u2028\u2029\v\f\u0085") == std::u16string::npos,
            "a match across lines");
        past = m.start + m.length;
    }
    const bool stopped = !rules.takeMatchProblems().empty();

    // Searched only where PCRE2 says a match can begin, the rules find what a search of the
    // whole window finds; a line of blanks after the text makes narrowing worth its while. A
    // rule stopped by the match limit may stop sooner searching whole: nothing to compare then.
    const RuleSet whole(bytes, "f.rules", false);
    const std::u16string padded = text + u'\n' + std::u16string(2048, u'\u00A0');
    std::vector<RuleMatch> narrowedFound, wholeFound;
    rules.findMatches(padded, 0, static_cast<long>(padded.size()), narrowedFound);
    whole.findMatches(padded, 0, static_cast<long>(padded.size()), wholeFound);
    if (!stopped && rules.takeMatchProblems().empty() && whole.takeMatchProblems().empty()) {
        FUZZ_CHECK(narrowedFound.size() == wholeFound.size(),
                   std::to_string(narrowedFound.size()) + " matches narrowed, " +
                       std::to_string(wholeFound.size()) + " whole");
        for (std::size_t i = 0; i < narrowedFound.size(); ++i)
            FUZZ_CHECK(narrowedFound[i].start == wholeFound[i].start &&
                           narrowedFound[i].length == wholeFound[i].length &&
                           narrowedFound[i].speech == wholeFound[i].speech,
                       "match " + std::to_string(narrowedFound[i].start) + " narrowed, " +
                           std::to_string(wholeFound[i].start) + " whole");
    }
    return 0;
}
