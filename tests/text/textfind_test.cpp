// Find in the editor's text from the current selection, with the dialog's settings.

#include "text/textfind.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace vernalo {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct FindCase {
    const char* name;
    std::u16string text;
    std::u16string what;
    std::size_t selStart, selLength;
    FindOptions options;
    std::size_t expected;  // kNone: nothing found
};

void PrintTo(const FindCase& c, std::ostream* os) {
    *os << c.name;
}

class FindCases : public testing::TestWithParam<FindCase> {};

TEST_P(FindCases, findsTheExpectedMatch) {
    const FindCase& c = GetParam();
    const std::optional<std::size_t> at =
        FindInText(c.text, c.what, c.selStart, c.selLength, c.options);
    EXPECT_EQ(at.value_or(kNone), c.expected);
}

// "part art Art party": art at 1, 5, 14; Art at 9.
const std::u16string kText = u"part art Art party";
constexpr FindOptions kDefault{};
constexpr FindOptions kUp{false, true, false};
constexpr FindOptions kAnyCase{true, false, false};
constexpr FindOptions kWhole{true, true, true};
constexpr FindOptions kUpAnyCaseWhole{false, false, true};

const FindCase kCases[] = {
    // Untouched dialog: forward, case-sensitive, substrings match.
    {"nothingSelectedSearchesFromTheTop", kText, u"art", 12, 0, kDefault, 1},
    {"afterSelectionFindsTheNextMatch", kText, u"art", 1, 3, kDefault, 5},
    {"skipsTheDifferentlyCasedWord", kText, u"art", 5, 3, kDefault, 14},
    {"nothingAfterTheLastMatch", kText, u"art", 14, 3, kDefault, kNone},
    {"artMatchesInsidePart", u"part", u"art", 0, 0, kDefault, 1},
    {"caseSensitiveWordDoesNotMatch", u"a word", u"Word", 0, 0, kDefault, kNone},
    {"emptyFindTextFindsNothing", kText, u"", 0, 0, kDefault, kNone},
    {"longerThanTextFindsNothing", u"ar", u"art", 0, 0, kDefault, kNone},
    {"selectionPastTheEndIsClamped", kText, u"art", 100, 5, kDefault, kNone},
    {"lineBreakCountsAsOneUnit", u"a\nb\nart", u"art", 0, 0, kDefault, 4},
    // Match case off.
    {"anyCaseMatchesCapitalised", u"a word", u"Word", 0, 0, kAnyCase, 2},
    {"anyCaseFindsArtAfterArt", kText, u"art", 5, 3, kAnyCase, 9},
    {"anyCaseCyrillic", u"Текст ПРИВЕТ мир", u"привет", 0, 0, kAnyCase, 6},
    {"anyCaseYo", u"ёлка ЁЛКА", u"ЁЛКА", 0, 4, kAnyCase, 5},
    // Whole word.
    {"wholeWordSkipsArtInsidePart", kText, u"art", 0, 0, kWhole, 5},
    {"wholeWordSkipsParty", u"party art", u"art", 6, 3, kWhole, kNone},
    {"wholeWordCyrillicNeighbours", u"приват ват", u"ват", 0, 0, kWhole, 7},
    {"wholeWordAtTextEdges", u"art", u"art", 0, 0, kWhole, 0},
    {"wholeWordPunctuationBounds", u"(art).", u"art", 0, 0, kWhole, 1},
    {"wholeWordDigitsJoinWords", u"art2 art", u"art", 0, 0, kWhole, 5},
    // Up.
    {"upBeforeTheSelection", kText, u"art", 14, 3, kUp, 5},
    {"upFromTheFirstMatchFindsNothing", kText, u"art", 1, 3, kUp, kNone},
    {"upWithNothingSelectedFindsTheLast", kText, u"art", 3, 0, kUp, 14},
    {"upMatchMustEndBeforeTheSelection", u"aaaa", u"aa", 1, 2, kUp, kNone},
    {"upAllOptions", kText, u"ART", 14, 3, kUpAnyCaseWhole, 9},
};

INSTANTIATE_TEST_SUITE_P(Find, FindCases, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FindCase>& i) { return i.param.name; });

TEST(FindInText, repeatedFindNextWalksEveryMatchThenStops) {
    std::size_t selStart = 7, selLength = 0;  // caret in the middle, nothing selected
    std::u16string walked;
    while (auto at = FindInText(kText, u"art", selStart, selLength)) {
        walked += std::u16string(1, static_cast<char16_t>(u'0' + *at % 10));
        selStart = *at;
        selLength = 3;
    }
    EXPECT_EQ(walked, u"154");  // 1, 5, 14
    EXPECT_EQ(selStart, 14u);   // the last match stays selected
}

TEST(FoldCase, foldsPairsOneUnitForOne) {
    EXPECT_EQ(FoldCase(u'A'), u'a');
    EXPECT_EQ(FoldCase(u'Я'), u'я');
    EXPECT_EQ(FoldCase(u'Ё'), u'ё');
    EXPECT_EQ(FoldCase(u'É'), u'é');
    EXPECT_EQ(FoldCase(u'×'), u'×');
    EXPECT_EQ(FoldCase(u'Ł'), u'ł');
    EXPECT_EQ(FoldCase(u'Ž'), u'ž');
    EXPECT_EQ(FoldCase(u'Ω'), u'ω');
    EXPECT_EQ(FoldCase(u'Ґ'), u'ґ');
    EXPECT_EQ(FoldCase(u'ß'), u'ß');
    EXPECT_EQ(FoldCase(u'7'), u'7');
}

}  // namespace
}  // namespace vernalo
