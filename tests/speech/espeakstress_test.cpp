// Stress marks as the built-in engine reads them, checked in the phonemes it reads with.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reading/segmenter.h"
#include "speech/espeakengine.h"
#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

std::string Phonemes(const std::u16string& text) {
    return EspeakEngine::instance().phonemesOf("ru", text);
}

// The engine's phonemes of a text, without the blanks and line breaks around them.
std::string Trimmed(std::string p) {
    while (!p.empty() && (p.back() == '\n' || p.back() == ' '))
        p.pop_back();
    while (!p.empty() && p.front() == ' ')
        p.erase(0, 1);
    return p;
}

struct StressCase {
    const char* name;
    std::u16string text;
    std::vector<std::string> holds;  // what its phonemes hold
    std::u16string readAs{};         // a plain text read with the same phonemes, if any
};

void PrintTo(const StressCase& c, std::ostream* os) {
    *os << c.name;
}

class EspeakStress : public testing::TestWithParam<StressCase> {};

TEST_P(EspeakStress, theMarkedSyllableIsStressed) {
    const StressCase& c = GetParam();
    if (EspeakEngine::instance().modes().empty()) GTEST_SKIP() << "no built-in engine";
    const std::string got = Trimmed(Phonemes(c.text));
    for (const std::string& part : c.holds)
        EXPECT_NE(got.find(part), std::string::npos) << got << " lacks " << part;
    if (!c.readAs.empty()) {
        EXPECT_EQ(got, Trimmed(Phonemes(c.readAs)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Russian, EspeakStress,
    testing::Values(
        StressCase{"castleAndLock", u"Это за\u0301мок, а не замо\u0301к.", {"z'AmVk", "zam'ok"}},
        StressCase{"firstSyllable", u"я\u0301блоко", {"'jablVkV"}, u"яблоко"},
        StressCase{"movedToTheMiddle", u"ябло\u0301ко", {"jabl'okV"}},
        // Marks the engine needs no help with read as the plain words do.
        StressCase{"whereTheEngineStressesAnyway", u"молоко\u0301", {"mVlVk'o"}, u"молоко"},
        StressCase{"onYo", u"ё\u0301лка ёжик", {}, u"ёлка ёжик"},
        StressCase{"onTheOnlyVowel", u"до\u0301м", {}, u"дом"},
        // "[[" in the text is read, not taken as phoneme input.
        StressCase{"bracketsStayText", u"[[за\u0301мок]]", {"z'AmVk"}}),
    test::CaseName);

TEST(EspeakStress, dictionaryEntryWithAMarkStressesThePlainWord) {
    if (EspeakEngine::instance().modes().empty()) GTEST_SKIP() << "no built-in engine";
    DictionaryStore dicts;
    dicts[Language::Russian].assign(u"замок", u"за\u0301мок");
    Segmenter seg(dicts);
    seg.setText(u"Старый замок.");
    const std::u16string speech = seg.nextSentence().speech;
    EXPECT_NE(Phonemes(speech).find("z'AmVk"), std::string::npos) << Phonemes(speech);
}

}  // namespace
}  // namespace vernalo
