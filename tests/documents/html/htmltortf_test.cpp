// The HTML to rich-text scan: exact pieces for the cases the scan is known to meet.

#include "documents/html/htmltortf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "documents/html/htmlentities.h"
#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

const std::string kHead(kRtfHeader);

std::string Convert(const std::string& utf8) {
    return HtmlToRtf(Utf8ToUtf16(utf8));
}

struct Case {
    const char* name;
    const char* html;  // UTF-8, line breaks already CR LF
    const char* body;  // what stands between the header and the closing "}"
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class HtmlToRtfCases : public testing::TestWithParam<Case> {};

TEST_P(HtmlToRtfCases, producesExactRichText) {
    const Case& c = GetParam();
    EXPECT_EQ(Convert(c.html), kHead + c.body + "}") << c.html;
}

const Case kCases[] = {
    // Nothing to scan, or nothing after a ">".
    {"emptyEditor", "", ""},
    {"oneCharacter", "<", ""},
    {"oneGreaterThan", ">", ""},
    {"plainTextWithoutTags", "Just words, no markup at all.", ""},
    {"textBeforeFirstTagIsDropped", "lost words <p>kept x", "\\pard  kept\\par "},
    // The worked example: title dropped, heading bold on its own paragraph.
    {"documentWithTitleHeadingAndParagraph",
     "<html><head><title>T</title></head><body><h1>Big</h1><p>One two</p></body></html>",
     "\\par \\outlinelevel0\\b  Big\\par \\par \\outlinelevel9\\b0 \\pard  One two\\par \\par "},
    // Flowing runs each end a paragraph.
    {"boldWordStandsOnItsOwnLine", "<p>a <b>bold</b> word</p>",
     "\\pard  a\\par \\b  bold\\par \\b0  word\\par \\par "},
    {"italicControlWordsEndedByTheRunsBlank", "<p><i>it</i>x</p>",
     "\\pard \\i it\\par \\i0 x\\par \\par "},
    // A list item clears flow until P, /CODE or /PRE.
    {"listItemsFollowOnOneLineUntilP",
     "<ul><li>one</li><li>two</li></ul><div>after</div><p>para</p>",
     " -  one -  two after\\pard  para\\par \\par "},
    {"closingCodeRestoresFlow", "<li>x<code>y</code>z<b>w</b>", " -  x y z\\par \\b  w\\par \\b0 "},
    {"closingPreRestoresFlow", "<li>x</pre>z<p>", " -  x z\\par \\pard "},
    {"lineBreaksBetweenListItemsGiveOnePar", "<li>one\r\n\r\n<li>two<p>",
     " -  one\\par -  two\\pard "},
    // Tag names.
    // A heading's level marks its paragraph for the contents; the end marks body text again.
    {"headingWithClassAttribute", "<h2 class=\"x\">T</h2>.",
     "\\par \\outlinelevel1\\b  T\\par \\par \\outlinelevel9\\b0 "},
    {"upperCaseHeading", "<H2>T</H2>.",
     "\\par \\outlinelevel1\\b  T\\par \\par \\outlinelevel9\\b0 "},
    {"ruleAndBreakDoNothing", "<hr>a<br>b<br/>.", " a\\par  b\\par "},
    {"tagNameHoldingLineBreakIsNotP", "<p\r\nclass=x>t<b>", " t\\par \\b "},
    {"greaterThanInsideAttributeStartsRun", "<a title=\"a>b\">link</a>.", " b\">link\\par "},
    {"commentContentIsScannedAsText", "<!-- c --><p>x</p>.", "\\pard  x\\par \\par "},
    {"styleContentIsSkippedButItsTagsStillCount", "<style>p{} <b>x</b></style><p>y</p>.",
     "\\b \\b0 \\pard  y\\par \\par "},
    // Blanks, &nbsp and line breaks.
    {"blanksAndNbspShrinkToOne", "<p>a   &nbsp;b</p>.", "\\pard  a b\\par \\par "},
    {"nbspAloneIsTrimmedAway", "<p>&nbsp;</p>.", "\\pard \\par "},
    {"preLineBreaksGiveOnePar", "<pre>a\r\n\r\nb</pre>.", " a\\par b"},
    {"blankAfterBreakDroppedWhenBlankCameBefore", "<pre>a \r\n b</pre>.", " a \\par b"},
    // Scripts.
    {"scriptContentDisappears", "<p>x<script>if (a < b) go();</script>y</p>.",
     "\\pard  x\\par  y\\par \\par "},
    {"nestedScriptRaisesDepth", "<p>x<script>w('<script>inner</script>');</script>y</p>.",
     "\\pard  x\\par  y\\par \\par "},
    {"scriptWithoutClosingTagEndsAtTextEnd", "<p>a<script>var x = '<b>';", "\\pard  a\\par "},
    {"scriptTagAtTheVeryEnd", "<p>a<script ", "\\pard  a\\par "},
    {"unclosedScriptEndingOnLessThan", "<p>a<script>x<", "\\pard  a\\par "},
    // The end of the text.
    {"lastCharacterNeverExamined", "<p>ab", "\\pard  a\\par "},
    {"nbspSkipPastTheEndEndsTheRun", "<p>a&nbsp;", "\\pard  a\\par "},
    {"cutNbspAtTheEndIsText", "<p>a&nb", "\\pard  a&n\\par "},
    {"lineBreakJustBeforeTheEndInPre", "<pre>a\r\nb", " a\\par"},
    // Characters that would be markup, and the code page.
    {"backslashAndBracesEscaped", "<p>a\\b{c}d</p>.", "\\pard  a\\\\b\\{c\\}d\\par \\par "},
    {"russianAsWindows1251Bytes", "<p>Привет, мир</p>.",
     "\\pard  \xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\\par \\par "},
    {"characterOutsideCodePageAsUnicode", "<p>✓ ok</p>.", "\\pard  \\u10003? ok\\par \\par "},
    {"highCharacterAsNegativeUnicode", "<p>！</p>.", "\\pard  \\u-255?\\par \\par "},
    {"noBreakSpaceCharacterIsKept",
     "<p>a\xC2\xA0"
     "b</p>.",
     "\\pard  a\xA0"
     "b\\par \\par "},
};

INSTANTIATE_TEST_SUITE_P(Scan, HtmlToRtfCases, testing::ValuesIn(kCases), test::CaseName);

// In flowing text a source line break parts words like a blank; with flow cleared it keeps
// its own rule.
const Case kLineBreakCases[] = {
    {"flowingCrLfIsABlank", "<p>under\r\nthe</p>.", "\\pard  under the\\par \\par "},
    {"flowingBreaksShrinkToOneBlank", "<p>a\r\n\r\nb</p>.", "\\pard  a b\\par \\par "},
    {"flowingLoneLf", "<p>a\nb</p>.", "\\pard  a b\\par \\par "},
    {"flowingLoneCr", "<p>a\rb</p>.", "\\pard  a b\\par \\par "},
    {"flowingBlanksAroundABreak", "<p>a \r\n b</p>.", "\\pard  a b\\par \\par "},
    {"flowingBreakRightAfterBr", "<p>a<br>\r\nb</p>.", "\\pard  a\\par  b\\par \\par "},
    {"flowingBreakAndNbsp", "<p>a\r\n&nbsp;b</p>.", "\\pard  a b\\par \\par "},
    {"listLoneLfIsCopied", "<li>a\nb<p>", " -  a\nb\\pard "},
};

INSTANTIATE_TEST_SUITE_P(LineBreaks, HtmlToRtfCases, testing::ValuesIn(kLineBreakCases),
                         test::CaseName);

// Character references become their characters, written as any other; what is not a
// reference HTML knows, with its ";", stays as written.
const Case kReferenceCases[] = {
    {"ampAndLt", "<p>a&amp;b&lt;</p>.", "\\pard  a&b<\\par \\par "},
    {"escapedReferenceDecodedOnce", "<p>&amp;amp;</p>.", "\\pard  &amp;\\par \\par "},
    {"gtQuotAposAreNoMarkup", "<p>&lt;b&gt;&quot;&apos;</p>.", "\\pard  <b>\"'\\par \\par "},
    {"namesInWindows1251", "<p>&laquo;&raquo;&mdash;&ndash;&hellip;&copy;&euro;</p>.",
     "\\pard  \xAB\xBB\x97\x96\x85\xA9\x88\\par \\par "},
    {"nameOutsideCodePage", "<p>&hearts;</p>.", "\\pard  \\u9829?\\par \\par "},
    {"nameOutsideBasicPlane", "<p>&Afr;</p>.", "\\pard  \\u-10187?\\u-8956?\\par \\par "},
    {"namesAreCaseSensitive", "<p>&AMP;&Amp;</p>.", "\\pard  &&Amp;\\par \\par "},
    {"nameWithoutSemicolon", "<p>a&amp b&copy</p>.", "\\pard  a&amp b&copy\\par \\par "},
    {"unknownName", "<p>&bogus;&;</p>.", "\\pard  &bogus;&;\\par \\par "},
    {"nameForTwoCharacters", "<p>&bne;</p>.", "\\pard  &bne;\\par \\par "},
    {"decimal", "<p>&#187;&#0065;</p>.",
     "\\pard  \xBB"
     "A\\par \\par "},
    {"hexadecimal", "<p>&#xAB;&#X41;&#x1F600;</p>.",
     "\\pard  \xAB"
     "A\\u-10179?\\u-8704?\\par \\par "},
    {"decodedMarkupCharacterEscaped", "<p>&#123;&#92;</p>.", "\\pard  \\{\\\\\\par \\par "},
    {"surrogateStaysAsWritten", "<p>&#55357;&#xDE00;</p>.", "\\pard  &#55357;&#xDE00;\\par \\par "},
    {"zeroAndOutOfRangeStay", "<p>&#0;&#x110000;&#99999999999999;</p>.",
     "\\pard  &#0;&#x110000;&#99999999999999;\\par \\par "},
    {"malformedNumbersStay", "<p>&#;&#x;&#12a;&#65</p>.", "\\pard  &#;&#x;&#12a;&#65\\par \\par "},
    {"decodedBlankResetsTheCounters", "<p>a &#32; b</p>.", "\\pard  a   b\\par \\par "},
    {"referenceEndingTheText", "<p>a&amp;", "\\pard  a&\\par "},
    {"nbspWithoutSemicolonKeepsNextCharacter", "<p>a&nbspX</p>.", "\\pard  a X\\par \\par "},
    {"nbspWithSemicolon", "<p>a&nbsp;b</p>.", "\\pard  a b\\par \\par "},
    {"nbspAtTheEnd", "<p>a&nbsp", "\\pard  a\\par "},
};

INSTANTIATE_TEST_SUITE_P(References, HtmlToRtfCases, testing::ValuesIn(kReferenceCases),
                         test::CaseName);

// A character outside the basic plane is one character: never cut in two, and the last one
// of the text is left out whole.
const Case kWideCharacterCases[] = {
    {"lastCharacterWide", "<p>x\xF0\x9F\x98\x80", "\\pard  x\\par "},
    {"wideCharacterBeforeTheLast", "<p>x\xF0\x9F\x98\x80y", "\\pard  x\\u-10179?\\u-8704?\\par "},
    {"nbspBeforeWideCharacter",
     "<p>a&nbsp\xF0\x9F\x98\x80"
     "b",
     "\\pard  a \\u-10179?\\u-8704?\\par "},
};

INSTANTIATE_TEST_SUITE_P(WideCharacters, HtmlToRtfCases, testing::ValuesIn(kWideCharacterCases),
                         test::CaseName);

TEST(HtmlEntities, areSortedForTheSearchAndFound) {
    const auto table = HtmlEntities();
    ASSERT_GT(table.size(), 2000u);
    for (std::size_t i = 1; i < table.size(); ++i)
        ASSERT_LT(table[i - 1].name, table[i].name) << i;
    for (const HtmlEntity& e : table)
        ASSERT_EQ(HtmlEntityCharacter(e.name), e.character) << e.name;
    EXPECT_EQ(HtmlEntityCharacter("amp"), U'&');
    EXPECT_EQ(HtmlEntityCharacter("am"), 0u);
    EXPECT_EQ(HtmlEntityCharacter("zzzz"), 0u);
}

TEST(HtmlToRtfConverter, readTagNameDropsDigitsAndStopsAtBlankOrGreaterThan) {
    struct {
        const char* text;
        const char* name;
        std::size_t endPos;
    } const cases[] = {
        {"h2 class=x>", "h", 2},
        {"/H1>", "/H", 3},
        {"br/>x", "br/", 3},
        {"!-- c -->", "!--", 3},
        {"p\tx>", "p\tx", 3},
        {"tail", "tai", 3},
        {"> x", "", 0},
        {"\xF0\x9F\x98\x80"
         "a>",
         "\xF0\x9F\x98\x80"
         "a",
         2},
    };
    for (const auto& c : cases) {
        const std::u16string text = Utf8ToUtf16(c.text);
        HtmlToRtfConverter conv(text);
        EXPECT_EQ(Utf16ToUtf8(conv.readTagName()), c.name) << c.text;
        EXPECT_EQ(conv.position(), c.endPos) << c.text;
    }
}

TEST(HtmlToRtfConverter, readTextRunLeavesPositionOnTheLessThan) {
    const std::u16string text = u"  a  b <i>";
    HtmlToRtfConverter conv(text);
    std::string run;
    conv.readTextRun(true, run);
    EXPECT_EQ(run, " a b\\par ");
    EXPECT_EQ(conv.position(), 7u);
    EXPECT_EQ(text[conv.position()], u'<');
}

TEST(HtmlToRtfConverter, runOfBlanksIsEmptyButItsLineBreakCountsWhenFlowIsCleared) {
    const std::u16string text = u" \r\n\t <";
    std::string flowing = "keep", cleared = "keep";
    HtmlToRtfConverter(text).readTextRun(true, flowing);
    HtmlToRtfConverter(text).readTextRun(false, cleared);
    EXPECT_EQ(flowing, "keep");
    // Trimming takes the blank of "\par " but not the control word itself.
    EXPECT_EQ(cleared, "keep \\par");
}

TEST(HtmlToRtf, progressIsReportedOnlyWhenThePercentageChanges) {
    std::u16string page;
    for (int i = 0; i < 2000; ++i)
        page += u"<p>Строка text &nbsp; <b>x</b></p>\r\n";
    std::vector<int> seen;
    const std::string withProgress = HtmlToRtf(page, [&](int p) { seen.push_back(p); });
    EXPECT_EQ(withProgress, HtmlToRtf(page));
    ASSERT_FALSE(seen.empty());
    EXPECT_LE(seen.size(), 100u);
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i], seen[i - 1]);
    EXPECT_GE(seen.front(), 1);
    EXPECT_GE(seen.back(), 99);
    EXPECT_LE(seen.back(), 100);
}

TEST(HtmlToRtf, progressIsNotReportedForAnEmptyText) {
    int calls = 0;
    HtmlToRtf(u"", [&](int) { ++calls; });
    EXPECT_EQ(calls, 0);
}

// Unescaped braces of a result: the header opens three groups and closes two, the end
// closes the last one, so the depth must end at 0 and never go below it.
int GroupDepthAtEnd(const std::string& rtf) {
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;  // an escaped character or the first letter of a control word
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}') {
            if (--depth < 0) return -1;
        }
    }
    return depth;
}

TEST(HtmlToRtf, anyMixOfMarkupPiecesEndsAndKeepsGroupsBalanced) {
    const std::u16string pieces[] = {
        u"<",       u">",        u"<p>",      u"</p>",      u"<li>",
        u"<pre>",   u"</pre>",   u"<script>", u"</script>", u"<script ",
        u"<title>", u"</title>", u"&nbsp;",   u"&nbsp",     u"&",
        u"\r\n",    u"\r",       u" ",        u"{",         u"}",
        u"\\",      u"x",        u"Я",        u"✓",         u"<h1 a=\">\">",
        u"<!--",    u"-->",      u"<b>",      u"<i>"};
    std::uint32_t seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        std::u16string text;
        seed = seed * 1664525u + 1013904223u;
        const int count = static_cast<int>(seed >> 28);
        for (int i = 0; i < count; ++i) {
            seed = seed * 1664525u + 1013904223u;
            text += pieces[(seed >> 8) % std::size(pieces)];
        }
        const std::string rtf = HtmlToRtf(text);
        ASSERT_EQ(rtf.rfind(kHead, 0), 0u) << Utf16ToUtf8(text);
        ASSERT_EQ(GroupDepthAtEnd(rtf), 0) << Utf16ToUtf8(text);
    }
}

TEST(WithCrLf, writesEveryKindOfLineBreakAsCrLf) {
    struct {
        std::u16string in, out;
    } const cases[] = {
        {u"", u""},           {u"a\nb", u"a\r\nb"},   {u"a\r\nb", u"a\r\nb"},
        {u"a\rb", u"a\r\nb"}, {u"\n\n", u"\r\n\r\n"}, {u"\r\r\n", u"\r\n\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithCrLf(c.in), c.out);
}

TEST(HtmlToRtf, editorTextWithLfBreaksConvertsLikeCrLfSource) {
    const std::u16string editor = u"<pre>a\n\nb</pre>\n";
    EXPECT_EQ(HtmlToRtf(WithCrLf(editor)), HtmlToRtf(u"<pre>a\r\n\r\nb</pre>\r\n"));
}

}  // namespace
}  // namespace vernalo
