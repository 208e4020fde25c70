#pragma once
// Rules files (readerru.rules, readeren.rules beside the dictionaries): UTF-8 (a byte-order
// mark allowed), LF or CR LF lines; blank lines and lines whose first non-blank is '#' are
// ignored; every
// other line is `pattern = replacement`, split at the first " = ".
//
// For editing, the file is a list of rules; the lines a rule cannot hold (comments, blanks,
// lines without " = ") travel with the rule after them, and those after the last rule stay at
// the end, so rewriting an edited list keeps them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vernalo {

struct RuleEntry {
    std::u16string pattern;
    std::u16string replacement;
    std::vector<std::u16string> linesBefore;  // kept as they were
    int line = 0;                             // 1-based in the file read; 0 for a new rule
};

struct RulesFile {
    std::vector<RuleEntry> rules;
    std::vector<std::u16string> trailingLines;
    // Lines neither blank, a comment nor a rule (no " = "), 1-based: a reader reports them.
    std::vector<int> unsplitLines;
    bool byteOrderMark = false;
    bool crlf = false;  // the first line break read was CR LF; new files use LF
};

inline constexpr std::u16string_view kRuleSeparator = u" = ";

RulesFile ParseRulesFile(std::string_view bytes);
std::string RulesFileBytes(const RulesFile& file);

// Why a pattern cannot stand in the file: it must be non-empty, hold no line break, no
// " = " (the file splits there), not read as a comment and compile as a regular expression.
enum class RulePatternIssue { None, Empty, LineBreak, Separator, Comment, DoesNotCompile };
RulePatternIssue CheckRulePattern(std::u16string_view pattern);

}  // namespace vernalo
