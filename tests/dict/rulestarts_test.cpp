// A rule is searched for only where PCRE2's analysis says its matches can begin; that search
// must find exactly what a search of the whole window finds.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dict/rules.h"
#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

// Every match as "start+length:speech", in text order.
std::vector<std::string> Found(const RuleSet& rules, std::u16string_view text, long from = 0) {
    std::vector<RuleMatch> found;
    rules.findMatches(text, from, static_cast<long>(text.size()), found);
    std::vector<std::string> r;
    for (const RuleMatch& m : found)
        r.push_back(std::to_string(m.start) + "+" + std::to_string(m.length) + ":" +
                    Utf16ToUtf8(m.speech));
    return r;
}

struct NarrowCase {
    const char* name;
    std::string file;
    std::u16string text;
    std::vector<std::string> found;  // as Found gives them
    bool leftOut = false;            // the rule runs away and is reported
};

void PrintTo(const NarrowCase& c, std::ostream* os) {
    *os << c.name;
}

class NarrowedSearch : public testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowedSearch, findsWhatAWholeSearchFinds) {
    const NarrowCase& c = GetParam();
    RuleSet narrowed(c.file, "n.rules");
    RuleSet whole(c.file, "n.rules", false);
    // A line that holds nothing to search for: in a window this long, narrowing pays.
    const std::u16string text = c.text + u'\n' + std::u16string(4096, u'ф');
    const auto found = Found(narrowed, text);
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(found, Found(whole, text));
    const auto problems = narrowed.takeMatchProblems();
    EXPECT_EQ(problems.size(), c.leftOut ? 1u : 0u);
    for (const std::string& p : problems)
        EXPECT_EQ(p.rfind("n.rules:1: the pattern took too long", 0), 0u) << p;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NarrowedSearch,
    testing::Values(
        // A class of first units with a required unit: only lines with a % are searched.
        NarrowCase{
            "requiredUnitOnTheLine", "[0-9]+% = p\n", u"12 x\n3% 45%\n6", {"5+2:p", "8+3:p"}},
        NarrowCase{"requiredUnitOnTheNextLineOnly", "[0-9]+\\s*% = p\n", u"5\n% 6 %", {"4+3:p"}},
        // PCRE2 names one case of a unit it matches in either.
        NarrowCase{
            "caselessRequiredUnit", "(?i)[0-9]+к = kilo\n", u"5К\n6к", {"0+2:kilo", "3+2:kilo"}},
        NarrowCase{"caselessGroupAtTheEnd",
                   "[0-9](?i:x) = times\n",
                   u"1X\n2x",
                   {"0+2:times", "3+2:times"}},
        NarrowCase{
            "caselessFirstUnitsInAClass", "(?i)[ab][0-9] = c\n", u"A1\nb2 c3", {"0+2:c", "3+2:c"}},
        // A required unit outside the Basic Multilingual Plane is its low surrogate.
        NarrowCase{"requiredUnitOutsideTheBmp",
                   "[0-9]\xF0\x9F\x98\x80 = smile\n",
                   u"1\U0001F600 2\U0001F601 3\U0001F600",
                   {"0+3:smile", "8+3:smile"}},
        NarrowCase{"firstUnitOutsideTheBmp",
                   "[\xF0\x9F\x98\x80\xF0\x9F\x98\x81]1 = s\n",
                   u"\U0001F6001 \U0001F6012",
                   {"0+3:s"}},
        // What a lookbehind sees lies before where the search begins.
        NarrowCase{"lookbehindBeforeTheStart",
                   "(?<=a)[0-9]+% = p\n",
                   u"a12% b12% a3%",
                   {"1+3:p", "11+2:p"}},
        NarrowCase{"startOfALine",
                   "^[0-9]+\\. = item\n",
                   u"1. one\n2. two\r\nx 3. no\u20284. four",
                   {"0+2:item", "7+2:item", "23+2:item"}},
        // Lines longer than a stretch is merged across.
        NarrowCase{"startOfALineWithoutARequiredUnit",
                   "^[0-9]+ = n\n",
                   u"1 a" + std::u16string(200, u'ф') + u"\n22 b" + std::u16string(200, u'ф') +
                       u"\r\nc 3" + std::u16string(200, u'ф') + u"\u20294",
                   {"0+1:n", "204+2:n", "614+1:n"}},
        NarrowCase{"noStartPcre2CanName", "[0-9]*% = p\n", u"5% %", {"0+2:p", "3+1:p"}},
        NarrowCase{"matchRunsPastItsStretch",
                   "[IVX]+(?= век) = r\n",
                   u"XXVII век, X век",
                   {"0+5:r", "11+1:r"}},
        NarrowCase{"startsFarApartOnOneLine",
                   "[IVX]+ = r\n",
                   u"X" + std::u16string(300, u'ф') + u"V" + std::u16string(40, u'ф') + u"I",
                   {"0+1:r", "301+1:r", "342+1:r"}},
        NarrowCase{"earlierRuleWinsOverANarrowedOne",
                   "[0-9]+ = n\n[0-9]+% = p\n5% = five\n",
                   u"5% 7%",
                   {"0+1:n", "3+1:n"}},
        // "1\n" runs across a line and is dropped; the search goes on after its start.
        NarrowCase{"matchAcrossALineIsDropped", "[0-9]+\\s?%? = p\n", u"1\n2 %", {"2+3:p"}},
        // Where a search begins decides what these find: searched whole.
        NarrowCase{"resetMatchStart", "[0-9]\\K% = p\n", u"5% 6%", {"1+1:p", "4+1:p"}},
        NarrowCase{"backtrackingVerb", "[0-9](*SKIP)a|[0-9] = p\n", u"1b 2a", {"3+2:p"}},
        NarrowCase{"runawayRuleIsStillLeftOut",
                   "(?:[0-9]+)+x = y\n",
                   u"x" + std::u16string(40, u'1') + u" x",
                   {},
                   true}),
    test::CaseName);

// Classes of first units and required units over a long text of short lines: what the shipped
// rules look like, where a narrowed stretch ends and begins anywhere.
TEST(NarrowedSearch, longMixedTextFindsTheSameAsWholeWindows) {
    const std::string file =
        "(?<![0-9])(?:(?<=\\b[вВ]\\h)()|)([0-9]{3,4})\\h?г\\.(?!\\w) = $2 ${1:+году:года}\n"
        "(?:(№)|§)\\h*([0-9]+) = ${1:+номер:параграф} $2\n"
        "(?<![0-9,.])([0-9]+(?:\\.[0-9]+)?)\\h?% = $1 процентов\n"
        "(?<!\\w)(?:(XX)|(X)|(V)|(I))(?=\\h+век) = "
        "${1:+двадцатый:${2:+десятый:${3:+пятый:первый}}}\n"
        "^[IVX]+\\. = глава\n";
    const std::vector<std::u16string> pieces = {
        u"слово", u"word",   u"12",  u"3.5",  u"5 %", u"1999 г.", u"в 2000 г.", u"XX век",
        u"V век", u"X",      u"№ 3", u"§ 12", u"I.",  u"%",       u"г.",        u"\n",
        u"\r\n",  u"\u2028", u" ",   u" ",    u", ",  u". "};
    std::mt19937 random(7);
    std::u16string text;
    while (text.size() < 200000)
        text += pieces[random() % pieces.size()] + u' ';
    text[text.size() / 2] = char16_t(0xD800);  // a lone surrogate, as an editor may hold
    RuleSet narrowed(file, "n.rules");
    RuleSet whole(file, "n.rules", false);
    const auto found = Found(narrowed, text);
    EXPECT_GT(found.size(), 1000u);
    EXPECT_EQ(found, Found(whole, text));
    // A window that begins on a later line.
    const long from = static_cast<long>(text.find(u'\n', text.size() / 3)) + 1;
    EXPECT_EQ(Found(narrowed, text, from), Found(whole, text, from));
}

}  // namespace
}  // namespace vernalo
