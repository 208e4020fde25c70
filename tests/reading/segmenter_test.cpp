#include "reading/segmenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/textcodec.h"

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
    long to = 0;  // ReadPos after the piece; 0: not checked
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

Lang LangOf(bool r, bool e) {
    return r ? ru : e ? en : none;
}

struct Fixture {
    DictStore dicts;
    Segmenter seg{dicts};
    explicit Fixture(const Case& c) {
        for (auto& [k, v] : c.dictRU)
            dicts.DictRU.Assign(k, v);
        for (auto& [k, v] : c.dictEN)
            dicts.DictEN.Assign(k, v);
        seg.EnabledRU = [on = c.ruOn] { return on; };
        seg.EnabledEN = [on = c.enOn] { return on; };
        seg.SetText(c.text);
    }
};

void ExpectPiece(const Piece& want, const std::u16string& text, const std::u16string& speech,
                 Lang lang, long to, std::size_t i) {
    SCOPED_TRACE("piece " + std::to_string(i));
    EXPECT_EQ(text, want.text);
    EXPECT_EQ(speech, want.speech.empty() ? want.text : want.speech);
    EXPECT_EQ(lang, want.lang);
    if (want.to) {
        EXPECT_EQ(to, want.to);
    }
}

class Words : public testing::TestWithParam<Case> {};

TEST_P(Words, cutAsReadAloud) {
    Fixture f(GetParam());
    std::size_t i = 0;
    while (f.seg.ReadPos <= f.seg.ReadLength) {
        ASSERT_LT(i, GetParam().pieces.size()) << "more words than expected";
        TResultWord w = f.seg.NextWord();
        const Piece& want = GetParam().pieces[i];
        ExpectPiece(want, w.Text, w.Speech, LangOf(w.Russian, w.English), f.seg.ReadPos, i);
        EXPECT_EQ(w.SentenceEnd, want.sentenceEnd) << "piece " << i;
        EXPECT_FALSE(w.Russian && w.English);
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
             {{u"Hello,", {}, en, false, 7}, {u" world.", {}, en, true, 14}}},
        Case{"scriptChangeSplits", u"мирhello", {{u"мир", {}, ru, false, 4}, {u"hello", {}, en}}},
        Case{"leadingStopAndSpaceAbsorbed", u". Hello", {{u". Hello", {}, en}}},
        Case{"gapBeforeLetterAfterDigit", u"5кг ", {{u"5 кг", {}, ru, false, 5}}},
        Case{"digitGroupsJoin", u"12 345 apples", {{u"12345 apples", {}, en}}},
        Case{"apostropheMakesAGap", u"don't", {{u"don' t", {}, en}}},
        Case{"tabIsNoSeparator", u"a\tb", {{u"a\t b", {}, en}}},
        Case{"yoIsNotARussianLetter", u"Ёлка", {{u"Ё лка", {}, ru}}},
        Case{"stopKeptOnlyAfterOther", u"3.5 kg", {{u"3.5 kg", {}, en}}},
        Case{"trailingDigitsHaveNoLanguage",
             u"text 123",
             {{u"text ", {}, en, false, 6}, {u"123", {}, none}}},
        Case{"trailingLineBreaks", u"text\n\n", {{u"text\n", {}, en}, {u"\n", {}, none}}},
        Case{"outsideCodePageIsOther", u"na\u00EFve", {{u"na\u00EF ve", {}, en}}},
        Case{"colonAndParenthesesEndWords",
             u"a: (b)",
             {{u"a:", {}, en, true}, {u" (b)", {}, en, true}}},
        Case{"russianOffRunsOnToEnglish",
             u"привет мир hello world",
             {{u"привет мир hello ", {}, en, false, 18}, {u"world", {}, en}},
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

TEST(Segmenter, gapCarriesIntoTheNextWordsKey) {
    DictStore d;
    d.DictEN.Assign(u"pear", u"PLAIN");
    d.DictEN.Assign(u" pear", u"GAPPED");
    Segmenter s(d);
    s.SetText(u"apple5 pear");
    TResultWord first = s.NextWord();
    EXPECT_EQ(first.Text, u"apple5");
    EXPECT_TRUE(s.NeedGap);
    TResultWord second = s.NextWord();
    EXPECT_EQ(second.Text, u"pear");  // raw, no other character in it
    EXPECT_EQ(second.Replacement, u"GAPPED");
    EXPECT_FALSE(s.NeedGap);
}

TEST(Segmenter, needGapOutlivesTheText) {
    DictStore d;
    Segmenter s(d);
    s.SetText(u"x1");
    s.NextWord();
    EXPECT_TRUE(s.NeedGap);
    s.SetText(u"5кг");
    s.ReadPos = 1;
    EXPECT_EQ(s.NextWord().Text, u"5 кг");
    s.SetText(u"1");
    s.ReadPos = 1;
    s.NextWord();
    s.SetText(u"ab1");  // the gap owed goes before the first letter of the next text
    s.ReadPos = 1;
    EXPECT_EQ(s.NextWord().Text, u" ab1");
}

TEST(Segmenter, pastTheEndReturnsAnEmptyPiece) {
    DictStore d;
    Segmenter s(d);
    s.SetText(u"abc");
    s.ReadPos = 4;
    TResultWord w = s.NextWord();
    EXPECT_TRUE(w.Text.empty() && w.Speech.empty() && !w.Russian && !w.English);
    EXPECT_EQ(s.ReadPos, 4);
    TResultSentence st = s.NextSentence();
    EXPECT_TRUE(st.Speech.empty() && !st.Russian && !st.English);
}

class Sentences : public testing::TestWithParam<Case> {};

TEST_P(Sentences, cutAsReadAloud) {
    Fixture f(GetParam());
    std::size_t i = 0;
    while (f.seg.ReadPos <= f.seg.ReadLength) {
        ASSERT_LT(i, GetParam().pieces.size()) << "more sentences than expected";
        TResultSentence s = f.seg.NextSentence();
        ExpectPiece(GetParam().pieces[i], s.Text, s.Speech, LangOf(s.Russian, s.English),
                    f.seg.ReadPos, i);
        EXPECT_FALSE(s.Russian && s.English);
        ++i;
    }
    EXPECT_EQ(i, GetParam().pieces.size());
}

INSTANTIATE_TEST_SUITE_P(
    Segmenter, Sentences,
    testing::Values(
        Case{"stopEndsTheSentence",
             u"Привет мир. Hello",
             {{u"Привет мир.", {}, ru, false, 12}, {u" Hello", {}, en}}},
        Case{"languageChangeEndsBeforeTheWord",
             u"один two",
             {{u"один ", {}, ru, false, 6}, {u"two", {}, en}}},
        Case{"commasDoNotEnd", u"One, two; three", {{u"One, two;", {}, en}, {u" three", {}, en}}},
        Case{"trailingNumberHasNoLanguage",
             u"Hello 123",
             {{u"Hello ", {}, en, false, 7}, {u"", {}, none, false, 10}}},
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
        Case{"emptyText", u"", {}}),
    Name);

}  // namespace
}  // namespace vernalo
