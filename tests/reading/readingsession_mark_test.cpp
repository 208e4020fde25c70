// The reading session: the word being heard marked inside the piece being read.

#include "reading/sessionrig.h"

namespace vernalo {
namespace {

struct MarkCase {
    const char* name;
    std::u16string text;
    bool sentenceMode;
    Strings marks;  // the text under each mark shown, "-" when it went
    int repEN = 1;
    bool markWord = true;
    bool wordEvents = true;
    bool enOn = true;
    std::vector<std::pair<std::u16string, std::u16string>> dictEN{};
};

void PrintTo(const MarkCase& c, std::ostream* os) {
    *os << c.name;
}

class WordMark : public testing::TestWithParam<MarkCase> {};

TEST_P(WordMark, followsTheWordsTheVoiceSays) {
    const MarkCase& c = GetParam();
    Rig rig(c.text, c.sentenceMode);
    for (auto& [k, v] : c.dictEN)
        rig.dicts[Language::English].assign(k, v);
    rig.view.repEN = c.repEN;
    rig.view.markWordOn = c.markWord;
    rig.view.enOn = c.enOn;
    rig.voices.en.wordEvents = rig.voices.ru.wordEvents = c.wordEvents;
    rig.press();
    rig.runToEnd();
    // The last piece sounds on after the end of the text.
    while (rig.session.followingVoice())
        rig.turn();
    EXPECT_EQ(rig.view.marks, c.marks);
}

INSTANTIATE_TEST_SUITE_P(
    Session, WordMark,
    testing::Values(MarkCase{"inOrderThenGoneForTheNextPiece",
                             u"One two. Three",
                             true,
                             {"One", "two.", "-", "Three", "-"}},
                    // "United" and "States" both stand for the key: the mark stays on it.
                    MarkCase{"replacementMarksItsWholeKey",
                             u"We, the USA, won.",
                             true,
                             {"We,", "the", "USA", "won.", "-"},
                             1,
                             true,
                             true,
                             true,
                             {{u"USA", u"United States"}}},
                    MarkCase{"repeatStartsOverFromTheFirstWord",
                             u"One two.",
                             true,
                             {"One", "two.", "-", "One", "two.", "-"},
                             2},
                    MarkCase{"optionOffShowsNone", u"One two.", true, {}, 1, false},
                    MarkCase{
                        "voiceWithoutWordEventsShowsNone", u"One two.", true, {}, 1, true, false},
                    MarkCase{"aOneWordPieceIsMarkedBySelectionAlone", u"One two", false, {}},
                    // The English voice off: its words go to the Russian one within one word piece.
                    MarkCase{"aWordPieceOfSeveralWords",
                             u"Hi мир",
                             false,
                             {"Hi", "мир", "-"},
                             1,
                             true,
                             true,
                             false}),
    test::CaseName);

TEST(WordMark, pauseRemovesIt) {
    Rig rig(u"One two three. Four.", true);
    rig.voices.en.wordEvents = true;
    rig.press();
    rig.turn();
    EXPECT_EQ(rig.view.marks, (Strings{"One", "two"}));
    rig.release();
    EXPECT_EQ(rig.view.marks.back(), "-");
    // Resuming reads the sentence again from its first word.
    rig.press();
    EXPECT_EQ(rig.view.marks.back(), "One");
}

}  // namespace
}  // namespace vernalo
