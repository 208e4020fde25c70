// The shipped reading rules as the segmenter applies them: what a rule matches is one word,
// read as its replacement, and the highlight still covers the text as written; and as the
// session reads them, looking a piece ahead.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dict/rules.h"
#include "reading/segmenter.h"
#include "reading/sessionrig.h"
#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

struct Word {
    std::u16string text;
    std::u16string speech;
};

struct RuleCase {
    const char* name;
    std::u16string text;
    std::vector<Word> words;  // word mode, from the start
};

void PrintTo(const RuleCase& c, std::ostream* os) {
    *os << c.name;
}

void LoadShippedRules(DictionaryStore& dicts) {
    for (Language l : kLanguages) {
        std::shared_ptr<const RuleSet> rules;
        const std::string path = std::string(VERNALO_SOURCE_DIR "/dict/reader") +
                                 (l == Language::Russian ? "ru" : "en") + ".rules";
        EXPECT_TRUE(LoadRulesFile(path, rules));
        if (!rules) continue;
        EXPECT_TRUE(rules->problems().empty()) << rules->problems().front();
        dicts[l].setRules(std::move(rules));
    }
}

struct Shipped {
    DictionaryStore dicts;
    Segmenter seg{dicts};
    Shipped() { LoadShippedRules(dicts); }
};

class ShippedRules : public testing::TestWithParam<RuleCase> {};

TEST_P(ShippedRules, turnSignsAndAbbreviationsIntoWords) {
    Shipped s;
    s.seg.setText(GetParam().text);
    std::vector<Word> got;
    while (s.seg.position < s.seg.readLength) {
        const WordPiece w = s.seg.nextWord();
        got.push_back({w.text, w.speech});
    }
    ASSERT_EQ(got.size(), GetParam().words.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(Utf16ToUtf8(got[i].text), Utf16ToUtf8(GetParam().words[i].text)) << i;
        EXPECT_EQ(Utf16ToUtf8(got[i].speech), Utf16ToUtf8(GetParam().words[i].speech)) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Russian, ShippedRules,
                         testing::Values(RuleCase{"abbreviationsWithStops",
                                                  u"Это т. е. то и т. д. Да",
                                                  {{u"Это ", u"Это "},
                                                   {u"т. е. ", u"то есть "},
                                                   {u"то ", u"то "},
                                                   {u"и т. д. ", u"и так далее "},
                                                   {u"Да", u"Да"}}},
                                         RuleCase{"numberSign", u"№ 5", {{u"№ 5", u"номер 5"}}},
                                         RuleCase{"percentAgrees",
                                                  u"5 %, 21 %, 3 %, 11 %, 2,5 %",
                                                  {{u"5 %,", u"5 процентов,"},
                                                   {u" 21 %,", u" 21 процент,"},
                                                   {u" 3 %,", u" 3 процента,"},
                                                   {u" 11 %,", u" 11 процентов,"},
                                                   {u" 2,5 %", u" 2,5 процента"}}},
                                         RuleCase{"sectionEndsItsSentence",
                                                  u"§ 3. Да",
                                                  {{u"§ 3.", u"параграф 3."}, {u" Да", u" Да"}}},
                                         RuleCase{"romanCenturies",
                                                  u"XX век, в XIX веке",
                                                  {{u"XX ", u"двадцатый "},
                                                   {u"век,", u"век,"},
                                                   {u" в ", u" в "},
                                                   {u"XIX ", u"девятнадцатом "},
                                                   {u"веке", u"веке"}}},
                                         RuleCase{"yearAbbreviation",
                                                  u"в 1999 г. он, 1 мая 2000 г.",
                                                  {{u"в ", u"в "},
                                                   {u"1999 г. ", u"1999 году "},
                                                   {u"он,", u"он,"},
                                                   {u"1 мая ", u"1 мая "},
                                                   {u"2000 г.", u"2000 года"}}},
                                         RuleCase{"seeButNotCentimetres",
                                                  u"см. выше, 5 см. напр. так",
                                                  {{u"см. ", u"смотри "},
                                                   {u"выше,", u"выше,"},
                                                   {u"5 см", u"5 см"},
                                                   {u" напр. ", u" например "},
                                                   {u"так", u"так"}}}),
                         test::CaseName);

INSTANTIATE_TEST_SUITE_P(English, ShippedRules,
                         testing::Values(RuleCase{"latinAbbreviations",
                                                  u"e.g. this i.e. that etc. ok",
                                                  {{u"e.g. ", u"for example "},
                                                   {u"this ", u"this "},
                                                   {u"i.e. ", u"that is "},
                                                   {u"that ", u"that "},
                                                   {u"etc. ", u"et cetera "},
                                                   {u"ok", u"ok"}}},
                                         RuleCase{"signsWithNumbers",
                                                  u"No. 5 at 5% § 3",
                                                  {{u"No. 5 ", u"number 5 "},
                                                   {u"at ", u"at "},
                                                   {u"5% ", u"5 percent "},
                                                   {u"§ 3", u"section 3"}}},
                                         RuleCase{"titles",
                                                  u"Mr. Smith vs. Dr. Who",
                                                  {{u"Mr. ", u"Mister "},
                                                   {u"Smith ", u"Smith "},
                                                   {u"vs. ", u"versus "},
                                                   {u"Dr. ", u"Doctor "},
                                                   {u"Who", u"Who"}}},
                                         // Both languages read "5 %": the words before it choose.
                                         RuleCase{"percentInTheLanguageAround",
                                                  u"Growth 5 % Рост 5 %",
                                                  {{u"Growth ", u"Growth "},
                                                   {u"5 % ", u"5 percent "},
                                                   {u"Рост ", u"Рост "},
                                                   {u"5 %", u"5 процентов"}}}),
                         test::CaseName);

TEST(ShippedRules, abbreviationEndsNoSentenceAndIsMarkedAsWritten) {
    Shipped s;
    const std::u16string text = u"Это т. е. пример. Next";
    s.seg.setText(text);
    const SentencePiece first = s.seg.nextSentence();
    EXPECT_EQ(Utf16ToUtf8(first.speech), "Это то есть пример.");
    EXPECT_EQ(s.seg.position, 17);
    const auto at = static_cast<long>(first.speech.find(u"есть"));
    const auto span = first.map.textOf(at, 4);
    ASSERT_TRUE(span);
    EXPECT_EQ(
        text.substr(static_cast<std::size_t>(span->start), static_cast<std::size_t>(span->length)),
        u"т. е.");
}

TEST(ShippedRules, readingFromTheMiddleAndBackFindsTheMatchesAgain) {
    // The matches are found a window ahead of the reading; a reading that starts over at an
    // earlier place (a new Say, the lookahead for the next piece) finds them again.
    Shipped s;
    std::u16string text;
    for (int i = 0; i < 20000; ++i)
        text += u"Строка т. е. вот.\n";
    s.seg.setText(text);
    s.seg.position = static_cast<long>(text.size()) - 18;
    EXPECT_EQ(Utf16ToUtf8(s.seg.nextSentence().speech), "Строка то есть вот.");
    s.seg.position = 0;
    EXPECT_EQ(Utf16ToUtf8(s.seg.nextSentence().speech), "Строка то есть вот.");
}

// The session cuts the next piece ahead, to hint it to its voice, and takes the cut back: it
// then reads what the segmenter alone cuts, though a match both languages read takes the
// language of the words before it.
struct AheadCase {
    const char* name;
    std::u16string text;
};

void PrintTo(const AheadCase& c, std::ostream* os) {
    *os << c.name;
}

class LookingAhead : public testing::TestWithParam<AheadCase> {};

TEST_P(LookingAhead, readsWhatTheSegmenterCuts) {
    for (bool sentences : {true, false}) {
        SCOPED_TRACE(sentences ? "sentences" : "words");
        Shipped alone;
        alone.seg.setText(GetParam().text);
        std::vector<std::pair<long, long>> pieces;
        Strings spoken;
        while (alone.seg.position < alone.seg.readLength) {
            const long start = alone.seg.position;
            std::optional<Language> language;
            std::u16string speech;
            if (sentences) {
                SentencePiece p = alone.seg.nextSentence();
                language = p.language;
                speech = std::move(p.speech);
            } else {
                WordPiece p = alone.seg.nextWord();
                language = p.language;
                speech = std::move(p.speech);
            }
            pieces.emplace_back(start, alone.seg.position - start);
            if (language)
                spoken.push_back((*language == Language::Russian ? "RU " : "EN ") +
                                 Utf16ToUtf8(speech));
        }
        Rig rig(GetParam().text, sentences);
        LoadShippedRules(rig.dicts);
        rig.press();
        rig.runToEnd();
        EXPECT_EQ(rig.view.scrolledTo, pieces);
        EXPECT_EQ(rig.voices.spokenBy(), spoken);
        EXPECT_EQ(rig.voices.ru.prepared.size() + rig.voices.en.prepared.size(), spoken.size() - 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ShippedRules, LookingAhead,
    testing::Values(AheadCase{"percentAfterARussianSentence", u"Цены выросли. 5% of them fell."},
                    AheadCase{"percentAfterAnEnglishSentence", u"Prices rose. 5 % выросли цены."},
                    AheadCase{"abbreviationAfterAPercent",
                              u"Он сказал hello. 3 % всех, i.e. the rest. Конец."}),
    test::CaseName);

}  // namespace
}  // namespace vernalo
