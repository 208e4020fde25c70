#include "dict/rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

std::vector<RuleMatch> Find(const RuleSet& rules, const std::u16string& text) {
    std::vector<RuleMatch> found;
    rules.findMatches(text, 0, static_cast<long>(text.size()), found);
    return found;
}

struct FileCase {
    const char* name;
    std::string file;
    std::u16string text;
    std::vector<std::string> speech;    // of each match, in text order
    std::vector<std::string> problems;  // parse problems, as reported
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class RulesFile : public testing::TestWithParam<FileCase> {};

TEST_P(RulesFile, readsTheRulesItCanAndNamesTheOthers) {
    const FileCase& c = GetParam();
    RuleSet rules(c.file, "test.rules");
    EXPECT_EQ(rules.problems(), c.problems);
    std::vector<std::string> speech;
    for (const RuleMatch& m : Find(rules, c.text))
        speech.push_back(Utf16ToUtf8(m.speech));
    EXPECT_EQ(speech, c.speech);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RulesFile,
    testing::Values(
        FileCase{"bomCrLfCommentsAndBlanks",
                 "\xEF\xBB\xBF# comment\r\n\r\n  \r\n\t# a comment, not the pattern |ab = y\r\nab "
                 "= x\r\n",
                 u"ab ab",
                 {"x", "x"},
                 {}},
        FileCase{"splitAtTheFirstSeparator", "a = b = c\n", u"a", {"b = c"}, {}},
        FileCase{"groupsInTheReplacement", "(\\d+)-(\\d+) = $2 to $1\n", u"3-5", {"5 to 3"}, {}},
        FileCase{"caseSensitiveUnlessAsked", "abc = x\n(?i)def = y\n", u"ABC DEF", {"y"}, {}},
        FileCase{"unicodeWordBoundaries", "\\bкот\\b = кошка\n", u"кот котёнок", {"кошка"}, {}},
        FileCase{"earlierRuleWinsAnOverlap", "bc = 1\nab = 2\ncd = 3\n", u"abcd", {"1"}, {}},
        FileCase{"matchesStayWithinALine", "a\\sb = x\n^b = y\n", u"a\nb", {"y"}, {}},
        FileCase{"badLinesLeftOutWithTheirLine",
                 "no separator\n(unclosed = x\n = empty\nok = fine\n",
                 u"ok",
                 {"fine"},
                 {"test.rules:1: no \" = \" between a pattern and its replacement",
                  "test.rules:2: the pattern does not compile: missing closing parenthesis at 10",
                  "test.rules:3: the pattern is empty"}}),
    test::CaseName);

TEST(Rules, catastrophicPatternStopsAndIsReportedAndLeftOut) {
    RuleSet rules("(a+)+$ = x\nb = y\n", "slow.rules");
    std::u16string text(100000, u'a');
    text += u'b';
    // Returns (within the match limit) instead of backtracking for ever.
    const auto found = Find(rules, text);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(Utf16ToUtf8(found[0].speech), "y");
    const auto problems = rules.takeMatchProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("slow.rules:1: the pattern took too long", 0), 0u) << problems[0];
    EXPECT_TRUE(rules.takeMatchProblems().empty());
    // Left out from then on: the next line costs nothing more and reports nothing more.
    EXPECT_EQ(Find(rules, text).size(), 1u);
    EXPECT_TRUE(rules.takeMatchProblems().empty());
}

TEST(Rules, replacementNamingAMissingGroupIsReported) {
    RuleSet rules("a = $2\n", "r.rules");
    EXPECT_TRUE(Find(rules, u"a").empty());
    const auto problems = rules.takeMatchProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("r.rules:1: the replacement failed", 0), 0u) << problems[0];
}

TEST(Rules, patternCheckForTheEditor) {
    EXPECT_FALSE(RulePatternError(u"(\\d+)\\h?%"));
    EXPECT_FALSE(RulePatternError(u"(?i)т\\.\\h?е\\."));
    EXPECT_TRUE(RulePatternError(u"("));
    EXPECT_TRUE(RulePatternError(u""));
}

TEST(Rules, invalidUtf16NeverMatchesNorFails) {
    RuleSet rules(". = x\n", "r.rules");
    const std::u16string text{u'a', char16_t(0xD800), u'b'};
    EXPECT_EQ(Find(rules, text).size(), 2u);
    EXPECT_TRUE(rules.takeMatchProblems().empty());
}

}  // namespace
}  // namespace vernalo
