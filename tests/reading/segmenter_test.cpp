#include "reading/segmenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {

// Readable failures for UTF-16 strings.
void PrintTo(const std::u16string& s, std::ostream* os) {
    *os << '"' << Utf16ToUtf8(s) << '"';
}

namespace {

enum Lang { none, ru, en };

struct Piece {
    std::u16string text;
    std::u16string speech;  // empty: same as text
    Lang lang;
    bool sentenceEnd = false;
    long to = -1;  // the position after the piece; -1: not checked
};

struct Case {
    const char* name;
    std::u16string text;
    std::vector<Piece> pieces;
    bool ruOn = true, enOn = true;
    std::vector<std::pair<std::u16string, std::u16string>> dictRU{}, dictEN{};
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

Lang LangOf(std::optional<Language> l) {
    return !l ? none : *l == Language::Russian ? ru : en;
}

struct Fixture {
    DictionaryStore dicts;
    Segmenter seg{dicts};
    explicit Fixture(const Case& c) {
        for (auto& [k, v] : c.dictRU)
            dicts[Language::Russian].assign(k, v);
        for (auto& [k, v] : c.dictEN)
            dicts[Language::English].assign(k, v);
        seg.enabled = {{c.ruOn, c.enOn}};
        seg.setText(c.text);
    }
};

void ExpectPiece(const Piece& want, const std::u16string& text, const std::u16string& speech,
                 Lang lang, long to, std::size_t i) {
    SCOPED_TRACE("piece " + std::to_string(i));
    EXPECT_EQ(text, want.text);
    EXPECT_EQ(speech, want.speech.empty() ? want.text : want.speech);
    EXPECT_EQ(lang, want.lang);
    if (want.to >= 0) {
        EXPECT_EQ(to, want.to);
    }
}

class Words : public testing::TestWithParam<Case> {};

TEST_P(Words, cutAsReadAloud) {
    Fixture f(GetParam());
    std::size_t i = 0;
    while (f.seg.position < f.seg.readLength) {
        ASSERT_LT(i, GetParam().pieces.size()) << "more words than expected";
        WordPiece w = f.seg.nextWord();
        const Piece& want = GetParam().pieces[i];
        ExpectPiece(want, w.text, w.speech, LangOf(w.language), f.seg.position, i);
        EXPECT_EQ(w.sentenceEnd, want.sentenceEnd) << "piece " << i;
        ++i;
    }
    EXPECT_EQ(i, GetParam().pieces.size());
}

auto Name = [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); };

INSTANTIATE_TEST_SUITE_P(
    Segmenter, Words,
    testing::Values(
        Case{"commaStaysWithTheWord",
             u"Hello, world.",
             {{u"Hello,", {}, en, false, 6}, {u" world.", {}, en, true, 13}}},
        Case{"scriptChangeSplits", u"мирhello", {{u"мир", {}, ru, false, 3}, {u"hello", {}, en}}},
        Case{"leadingStopAndSpaceAbsorbed", u". Hello", {{u". Hello", {}, en}}},
        Case{"gapBeforeLetterAfterDigit", u"5кг ", {{u"5 кг ", {}, ru, false, 4}}},
        Case{"digitGroupsJoin", u"12 345 apples", {{u"12345 apples", {}, en}}},
        // An apostrophe inside a word is part of it, typed or typographic; at a word's edge
        // it is still an other character.
        Case{"apostropheInsideAWord", u"don't", {{u"don't", {}, en}}},
        Case{"typographicApostrophe", u"It\u2019s ok", {{u"It\u2019s ", {}, en}, {u"ok", {}, en}}},
        Case{"apostropheAtAnEdge", u"'quoted' x", {{u"' quoted' ", {}, en}, {u"x", {}, en}}},
        Case{"tabIsNoSeparator", u"a\tb", {{u"a\t b", {}, en}}},
        Case{"yoIsARussianLetter", u"Ёлка, мёд.", {{u"Ёлка,", {}, ru}, {u" мёд.", {}, ru, true}}},
        Case{"stopKeptOnlyAfterOther", u"3.5 kg", {{u"3.5 kg", {}, en}}},
        // A stop after a number and before a blank ends the number: the voice hears the blank.
        Case{"blankAfterANumbersStop", u"1. Open", {{u"1. Open", {}, en}}},
        Case{"blankAfterANumbersStopOnce",
             u"глава 5.  Потом",
             {{u"глава ", {}, ru}, {u"5. Потом", {}, ru}}},
        Case{"trailingDigitsHaveNoLanguage",
             u"text 123",
             {{u"text ", {}, en, false, 5}, {u"123", {}, none}}},
        Case{"trailingLineBreaks", u"text\n\n", {{u"text\n", {}, en}, {u"\n", {}, none}}},
        Case{"accentedLatinIsALetter",
             u"na\u00EFve caf\u00E9",
             {{u"na\u00EFve ", {}, en}, {u"caf\u00E9", {}, en}}},
        Case{"outsideCodePageIsOther", u"2\u00D73", {{u"2\u00D73", {}, none}}},
        Case{"colonAndParenthesesEndWords",
             u"a: (b)",
             {{u"a:", {}, en, true}, {u" (b)", {}, en, true}}},
        Case{"russianOffRunsOnToEnglish",
             u"привет мир hello world",
             {{u"привет мир hello ", {}, en, false, 17}, {u"world", {}, en}},
             false,
             true},
        Case{"russianOffWithoutLatinHasNoLanguage",
             u"привет, мир.",
             {{u"привет, мир.", {}, none}},
             false,
             true},
        Case{"dictionaryReplacesWholeWord",
             u"Hello, hello",
             {{u"Hello,", u"Heh-low", en}, {u" hello", {}, en}},
             true,
             true,
             {},
             {{u"Hello", u"Heh-low"}}},
        Case{"switchedOffLettersThroughOtherDictionary",
             u"пр5a",
             {{u"p5 a", {}, en}},
             false,
             true,
             {},
             {{u"п", u"p"}}},
        Case{"russianDictionaryForRussianWord",
             u"т.е. да",
             {{u"т.", u"то есть", ru, true}, {u"е.", {}, ru, true}, {u" да", {}, ru}},
             true,
             true,
             {{u"т", u"то есть"}}},
        Case{"emptyText", u"", {}}),
    Name);

// A stress mark belongs to the letter before it: the word stays whole, reaches the voice with
// the mark, and finds only a dictionary entry written with the same marks.
INSTANTIATE_TEST_SUITE_P(
    StressMarks, Words,
    testing::Values(
        Case{"markedWordsStayWhole",
             u"Это за\u0301мок, а не замо\u0301к.",
             {{u"Это ", {}, ru},
              {u"за\u0301мок,", {}, ru, false, 11},
              {u" а ", {}, ru},
              {u"не ", {}, ru},
              {u"замо\u0301к.", {}, ru, true, 24}}},
        Case{"graveAndMarkOnLatin", u"cafe\u0300 x", {{u"cafe\u0300 ", {}, en}, {u"x", {}, en}}},
        Case{"capitalVowelInsideStaysALetter", u"замОк", {{u"замОк", {}, ru}}},
        Case{"markAfterNoLetterIsOther", u"5\u0301", {{u"5\u0301", {}, none}}},
        Case{
            "secondMarkAfterASignStaysWithIt", u"a5\u0301\u0301b", {{u"a5\u0301\u0301 b", {}, en}}},
        Case{"plainEntryLeavesAMarkedWord",
             u"замо\u0301к замок",
             {{u"замо\u0301к ", {}, ru}, {u"замок", u"за\u0301мок", ru}},
             true,
             true,
             {{u"замок", u"за\u0301мок"}}},
        Case{"markedEntryMatchesItsOwnSpelling",
             u"за\u0301мок замо\u0301к замок",
             {{u"за\u0301мок ", u"castle", ru}, {u"замо\u0301к ", {}, ru}, {u"замок", u"lock", ru}},
             true,
             true,
             {{u"замок", u"lock"}, {u"за\u0301мок", u"castle"}}}),
    Name);

// A word spoken in its assembled form keeps the separator that ended it, so the next word
// is not run on; a comma between two digits belongs to the number.
INSTANTIATE_TEST_SUITE_P(
    Numbers, Words,
    testing::Values(
        Case{"versionNumber",
             u"Version 2.1 is out.",
             {{u"Version ", {}, en, false, 8},
              {u"2.1 is ", {}, en, false, 15},
              {u"out.", {}, en, true}}},
        Case{"russianAgeWithComma",
             u"Мне 25 лет, ему 30.",
             {{u"Мне ", {}, ru},
              {u"25 лет,", {}, ru, false, 11},
              {u" ему ", {}, ru},
              {u"30.", {}, none}}},
        Case{"yearBeforeComma",
             u"In 1999, we met.",
             {{u"In ", {}, en}, {u"1999 we ", {}, en, false, 12}, {u"met.", {}, en, true}}},
        Case{"lineBreakEndsAnAssembledWord",
             u"5кг\nx",
             {{u"5 кг\n", {}, ru, false, 4}, {u"x", {}, en}}},
        Case{"stopEndsAnAssembledWordWithoutIt",
             u"5кг. x",
             {{u"5 кг", {}, ru, true, 4}, {u" x", {}, en}}},
        Case{"keyHasNoSeparatorButTextHas",
             u"5кг ",
             {{u"5 кг ", u"пять кило", ru}},
             true,
             true,
             {{u"5 кг", u"пять кило"}}},
        Case{"decimalComma", u"Цена 3,5 руб.", {{u"Цена ", {}, ru}, {u"3,5 руб", {}, ru, true}}},
        Case{"commaInsideANumberEndsNothing",
             u"abc3,5 def",
             {{u"abc3,5 ", {}, en}, {u"def", {}, en}}},
        Case{"thousandsCommasAtTheEnd", u"1,000,000", {{u"1,000,000", {}, none}}},
        Case{"commaBeforeALetterStaysASeparator", u"5,кг", {{u"5 кг", {}, ru}}},
        Case{"commaAtTheStartStaysASeparator", u",5 a", {{u"5 a", {}, en}}},
        Case{"commaAfterTheLastDigitStaysASeparator",
             u"a 1, 2",
             {{u"a ", {}, en}, {u"12", {}, none}}},
        Case{"digitsAtTheEnd", u"Call 911!", {{u"Call ", {}, en}, {u"911!", {}, none, false, 9}}},
        Case{"decimalCommaWithRussianOff", u"3,5", {{u"3,5", {}, none}}, false, true}),
    Name);

TEST(Segmenter, gapCarriesIntoTheNextWordsKey) {
    DictionaryStore d;
    d[Language::English].assign(u"pear", u"PLAIN");
    d[Language::English].assign(u" pear", u"GAPPED");
    Segmenter s(d);
    s.setText(u"apple5 pear");
    WordPiece first = s.nextWord();
    EXPECT_EQ(first.text, u"apple5 ");
    EXPECT_TRUE(s.needGap);
    WordPiece second = s.nextWord();
    EXPECT_EQ(second.text, u"pear");  // raw, no other character in it
    EXPECT_EQ(second.replacement, u"GAPPED");
    EXPECT_FALSE(s.needGap);
}

TEST(Segmenter, needGapOutlivesTheText) {
    DictionaryStore d;
    Segmenter s(d);
    s.setText(u"x1");
    s.nextWord();
    EXPECT_TRUE(s.needGap);
    s.setText(u"5кг");
    s.position = 0;
    EXPECT_EQ(s.nextWord().text, u"5 кг");
    s.setText(u"1");
    s.position = 0;
    s.nextWord();
    s.setText(u"ab1");  // the gap owed goes before the first letter of the next text
    s.position = 0;
    EXPECT_EQ(s.nextWord().text, u" ab1");
}

TEST(Segmenter, pastTheEndReturnsAnEmptyPiece) {
    DictionaryStore d;
    Segmenter s(d);
    s.setText(u"abc");
    s.position = 3;
    WordPiece w = s.nextWord();
    EXPECT_TRUE(w.text.empty() && w.speech.empty() && !w.language);
    EXPECT_EQ(s.position, 3);
    SentencePiece st = s.nextSentence();
    EXPECT_TRUE(st.speech.empty() && !st.language);
}

class Sentences : public testing::TestWithParam<Case> {};

TEST_P(Sentences, cutAsReadAloud) {
    Fixture f(GetParam());
    std::size_t i = 0;
    while (f.seg.position < f.seg.readLength) {
        ASSERT_LT(i, GetParam().pieces.size()) << "more sentences than expected";
        SentencePiece s = f.seg.nextSentence();
        ExpectPiece(GetParam().pieces[i], s.text, s.speech, LangOf(s.language), f.seg.position, i);
        ++i;
    }
    EXPECT_EQ(i, GetParam().pieces.size());
}

INSTANTIATE_TEST_SUITE_P(
    Segmenter, Sentences,
    testing::Values(
        Case{"stopEndsTheSentence",
             u"Привет мир. Hello",
             {{u"Привет мир.", {}, ru, false, 11}, {u" Hello", {}, en}}},
        Case{"languageChangeEndsBeforeTheWord",
             u"один two",
             {{u"один ", {}, ru, false, 5}, {u"two", {}, en}}},
        Case{"commasDoNotEnd", u"One, two; three", {{u"One, two;", {}, en}, {u" three", {}, en}}},
        Case{"trailingNumberHasNoLanguage",
             u"Hello 123",
             {{u"Hello ", {}, en, false, 6}, {u"", {}, none, false, 9}}},
        Case{"oneVoiceTakesEverything",
             u"Привет, мир. Next",
             {{u"Привет, мир. Next", {}, en}},
             false,
             true},
        Case{"oneVoiceTakesEvenBlanks", u"  ", {{u"  ", {}, ru}}, true, false},
        Case{"replacementsJoinTheSpeech",
             u"Hello, world. Bye",
             {{u"Hello, world.", u"Heh-low world.", en}, {u" Bye", {}, en}},
             true,
             true,
             {},
             {{u"Hello", u"Heh-low"}}},
        Case{"markedWordsInOneSentence",
             u"Это за\u0301мок, а не замо\u0301к. Next",
             {{u"Это за\u0301мок, а не замо\u0301к.", {}, ru, false, 24}, {u" Next", {}, en}}},
        Case{"emptyText", u"", {}}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Numbers, Sentences,
    testing::Values(
        Case{"versionNumber", u"Version 2.1 is out.", {{u"Version 2.1 is out.", {}, en}}},
        Case{"decimalComma", u"Цена 3,5 руб.", {{u"Цена 3,5 руб", {}, ru}}},
        Case{"digitsAtTheEndHaveNoLanguage",
             u"Мне 25 лет, ему 30.",
             {{u"Мне 25 лет, ему ", {}, ru, false, 16}, {u"", {}, none, false, 19}}},
        Case{"digitsAtTheEndAfterEnglish",
             u"Call 911!",
             {{u"Call ", {}, en, false, 5}, {u"", {}, none, false, 9}}},
        Case{"decimalCommaWithEnglishOff", u"3,5", {{u"3,5", {}, ru}}, true, false}),
    Name);

// --- Where a sentence's speech comes from ------------------------------------------------------

struct MapCase {
    const char* name;
    std::u16string text;
    std::u16string spoken;  // a stretch of the first sentence's speech
    std::u16string marked;  // the text it stands for
    std::vector<std::pair<std::u16string, std::u16string>> dictRU{}, dictEN{};
};

void PrintTo(const MapCase& c, std::ostream* os) {
    *os << c.name;
}

class SpeechMaps : public testing::TestWithParam<MapCase> {};

TEST_P(SpeechMaps, leadBackToTheText) {
    const MapCase& c = GetParam();
    Fixture f(Case{c.name, c.text, {}, true, true, c.dictRU, c.dictEN});
    const SentencePiece s = f.seg.nextSentence();
    const auto at = s.speech.find(c.spoken);
    ASSERT_NE(at, std::u16string::npos) << Utf16ToUtf8(s.speech);
    const auto span = s.map.textOf(static_cast<long>(at), static_cast<long>(c.spoken.size()));
    ASSERT_TRUE(span);
    EXPECT_EQ(c.text.substr(static_cast<std::size_t>(span->start),
                            static_cast<std::size_t>(span->length)),
              c.marked);
}

INSTANTIATE_TEST_SUITE_P(
    Segmenter, SpeechMaps,
    testing::Values(MapCase{"copiedUnitForUnit", u"Hello, big world.", u"big", u"big"},
                    MapCase{"partOfAWord", u"Hello, big world.", u"wor", u"wor"},
                    MapCase{"replacementToItsKey",
                            u"The USA won.",
                            u"States",
                            u"USA",
                            {},
                            {{u"USA", u"United States"}}},
                    MapCase{"keyWithoutTheStopAfterIt",
                            u"We won, USA.",
                            u"United",
                            u"USA",
                            {},
                            {{u"USA", u"United States"}}},
                    MapCase{"wordsAfterAReplacementKeepTheirPlace",
                            u"The USA won.",
                            u"won",
                            u"won",
                            {},
                            {{u"USA", u"United States"}}},
                    MapCase{"respelledNumberAsAWhole", u"Это 5кг.", u"кг", u"5кг"},
                    MapCase{"acrossTwoWords", u"One two three.", u"e tw", u"e tw"},
                    MapCase{"markedWordUnitForUnit", u"Это за\u0301мок.", u"за\u0301мок",
                            u"за\u0301мок"}),
    test::CaseName);

}  // namespace
}  // namespace vernalo
