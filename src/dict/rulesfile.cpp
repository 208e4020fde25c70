#include "dict/rulesfile.h"
#include "dict/rules.h"

#include "text/textcodec.h"

namespace vernalo {
namespace {

bool IsIgnored(std::u16string_view line) {
    const auto first = line.find_first_not_of(u" \t");
    return first == std::u16string_view::npos || line[first] == u'#';
}

}  // namespace

RulesFile ParseRulesFile(std::string_view bytes) {
    RulesFile file;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        file.byteOrderMark = true;
        bytes.remove_prefix(3);
    }
    const std::u16string text = Utf8ToUtf16(bytes);
    const auto firstBreak = text.find(u'\n');
    file.crlf =
        firstBreak != std::u16string::npos && firstBreak > 0 && text[firstBreak - 1] == u'\r';
    std::vector<std::u16string> pending;
    std::size_t pos = 0;
    int number = 0;
    while (pos < text.size()) {
        auto end = text.find(u'\n', pos);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        pos = end + 1;
        ++number;
        const auto split = line.find(kRuleSeparator);
        if (IsIgnored(line) || split == std::u16string::npos) {
            if (!IsIgnored(line)) file.unsplitLines.push_back(number);
            pending.push_back(std::move(line));
            continue;
        }
        RuleEntry rule;
        rule.pattern = line.substr(0, split);
        rule.replacement = line.substr(split + kRuleSeparator.size());
        rule.linesBefore = std::move(pending);
        rule.line = number;
        pending.clear();
        file.rules.push_back(std::move(rule));
    }
    file.trailingLines = std::move(pending);
    return file;
}

std::string RulesFileBytes(const RulesFile& file) {
    const char* eol = file.crlf ? "\r\n" : "\n";
    std::string out = file.byteOrderMark ? "\xEF\xBB\xBF" : "";
    auto add = [&](std::u16string_view line) {
        out += Utf16ToUtf8(line);
        out += eol;
    };
    for (const RuleEntry& rule : file.rules) {
        for (const auto& line : rule.linesBefore)
            add(line);
        add(rule.pattern + std::u16string(kRuleSeparator) + rule.replacement);
    }
    for (const auto& line : file.trailingLines)
        add(line);
    return out;
}

RulePatternIssue CheckRulePattern(std::u16string_view pattern) {
    if (pattern.empty()) return RulePatternIssue::Empty;
    if (pattern.find_first_of(u"\r\n") != std::u16string_view::npos)
        return RulePatternIssue::LineBreak;
    if (pattern.find(kRuleSeparator) != std::u16string_view::npos)
        return RulePatternIssue::Separator;
    if (IsIgnored(pattern)) return RulePatternIssue::Comment;
    if (RulePatternError(pattern)) return RulePatternIssue::DoesNotCompile;
    return RulePatternIssue::None;
}

}  // namespace vernalo
