// Rules files as the editor reads and rewrites them, and the pattern check.

#include "dict/rulesfile.h"

#include <gtest/gtest.h>

namespace vernalo {
namespace {

TEST(RulesFile, rewritingKeepsCommentsBlanksAndLineEnds) {
    const std::string files[] = {
        "# abbreviations\n\\bт\\. е\\. = то есть\n\n\\bи т\\. д\\. = и так далее\n# end\n",
        "\xEF\xBB\xBF"
        "a = b = c\r\nno separator here\r\n(\\d+) % = $1 процентов\r\n",
        "",
    };
    for (const std::string& bytes : files)
        EXPECT_EQ(RulesFileBytes(ParseRulesFile(bytes)), bytes);
}

TEST(RulesFile, splitsAtTheFirstSeparatorAndNumbersLines) {
    const RulesFile f = ParseRulesFile("# c\n\n\\be\\.g\\. = for example\nx = y = z\n");
    ASSERT_EQ(f.rules.size(), 2u);
    EXPECT_EQ(f.rules[0].pattern, u"\\be\\.g\\.");
    EXPECT_EQ(f.rules[0].replacement, u"for example");
    EXPECT_EQ(f.rules[0].line, 3);
    EXPECT_EQ(f.rules[0].linesBefore, (std::vector<std::u16string>{u"# c", u""}));
    EXPECT_EQ(f.rules[1].pattern, u"x");
    EXPECT_EQ(f.rules[1].replacement, u"y = z");
}

TEST(RulesFile, aMovedRuleTakesItsCommentWith) {
    RulesFile f = ParseRulesFile("# first\na = 1\n# second\nb = 2\n");
    std::swap(f.rules[0], f.rules[1]);
    EXPECT_EQ(RulesFileBytes(f), "# second\nb = 2\n# first\na = 1\n");
}

TEST(RulePattern, isCheckedBeforeItIsWritten) {
    const struct {
        std::u16string pattern;
        RulePatternIssue issue;
    } cases[] = {
        {u"\\bт\\. е\\.", RulePatternIssue::None},
        {u"(?i)\\bxx?\\s+век", RulePatternIssue::None},
        {u"\\p{Cyrillic}+\u0301", RulePatternIssue::None},
        {u"", RulePatternIssue::Empty},
        {u"a\nb", RulePatternIssue::LineBreak},
        {u"a = b", RulePatternIssue::Separator},
        {u"#x", RulePatternIssue::Comment},
        {u"(unclosed", RulePatternIssue::DoesNotCompile},
        {u"[z-a]", RulePatternIssue::DoesNotCompile},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckRulePattern(c.pattern), c.issue) << c.pattern.size();
}

}  // namespace
}  // namespace vernalo
