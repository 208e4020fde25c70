// The reading session: where reading starts, and on through the text to its end.

#include "reading/sessionrig.h"

namespace vernalo {
namespace {

// --- Where reading starts -------------------------------------------------------------------

struct StartCase {
    const char* name;
    long caret;
    bool paused;
    std::pair<long, long> firstPiece;  // selection of the first piece
    std::string firstSpeech;
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

class StartPosition : public testing::TestWithParam<StartCase> {};

TEST_P(StartPosition, firstPieceFollowsTheCaret) {
    const StartCase& c = GetParam();
    Rig rig(u"one two three");  // word mode
    rig.view.selStart = c.caret;
    rig.session.setPaused(c.paused);
    rig.press();
    ASSERT_FALSE(rig.voices.spoken().empty());
    EXPECT_EQ(rig.voices.spoken()[0], c.firstSpeech);
    ASSERT_FALSE(rig.view.scrolledTo.empty());
    EXPECT_EQ(rig.view.scrolledTo[0], c.firstPiece);
    EXPECT_FALSE(rig.session.paused());
}

INSTANTIATE_TEST_SUITE_P(
    Session, StartPosition,
    testing::Values(StartCase{"caretAtStart", 0, false, {0, 4}, "one "},
                    StartCase{"caretAfterFirstCharacter", 1, false, {0, 4}, "one "},
                    // the character before the caret comes first: usually the separator
                    StartCase{"caretInsideStartsOneBefore", 4, false, {3, 5}, " two "},
                    StartCase{"caretBeforeLastCharacter", 12, false, {11, 2}, "ee"},
                    StartCase{"caretAtTheEndStartsOver", 13, false, {0, 4}, "one "},
                    StartCase{"caretPastTheEndStartsOver", 40, false, {0, 4}, "one "},
                    StartCase{"pausedResumesAtSelectionStart", 4, true, {4, 4}, "two "},
                    StartCase{"pausedAtTheEndStartsOver", 13, true, {0, 4}, "one "}),
    test::CaseName);

// Characters outside the basic plane take two units; a highlight or a spoken text never
// holds half of one, wherever the caret was put.
bool SplitsAPair(const std::u16string& text, long at) {
    return at > 0 && at < static_cast<long>(text.size()) && text[at - 1] >= 0xD800 &&
           text[at - 1] <= 0xDBFF && text[at] >= 0xDC00 && text[at] <= 0xDFFF;
}

class SurrogatePairs : public testing::TestWithParam<bool> {};

TEST_P(SurrogatePairs, noPieceStartsOrEndsInsideOne) {
    const std::u16string text = u"say \U0001F600 now \U0001D400b\U0001F600\U0001F600. end";
    for (long caret = 0; caret <= static_cast<long>(text.size()); ++caret) {
        Rig rig(text, GetParam());
        rig.view.selStart = caret;
        rig.press();
        rig.runToEnd();
        for (const auto& [start, length] : rig.view.scrolledTo) {
            EXPECT_FALSE(SplitsAPair(text, start)) << "caret " << caret << " start " << start;
            EXPECT_FALSE(SplitsAPair(text, start + length)) << "caret " << caret;
        }
        for (const std::string& spoken : rig.voices.spoken())
            EXPECT_EQ(spoken.find("\xEF\xBF\xBD"), std::string::npos)
                << "caret " << caret << ": half a character spoken";
    }
}

INSTANTIATE_TEST_SUITE_P(Session, SurrogatePairs, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "sentences" : "words"; });

// --- Through the text and to its end --------------------------------------------------------

// An engine that takes long to start a piece gets the next one as a hint while this one sounds;
// a hint that moved the reading on would show as a piece that differs from its hint.
TEST(Session, eachPieceIsHintedToItsVoiceBeforeItIsSpoken) {
    for (bool sentences : {true, false}) {
        Rig rig(u"Привет, мир. Hello, world. Пока, друзья. The end.");
        rig.view.sentenceMode = sentences;
        rig.press();
        rig.runToEnd();
        const std::vector<std::string> spoken = rig.voices.spoken();
        ASSERT_GE(spoken.size(), 4u);
        std::vector<std::string> hinted = rig.voices.ru.prepared;
        hinted.insert(hinted.end(), rig.voices.en.prepared.begin(), rig.voices.en.prepared.end());
        // Every piece but the first was hinted, to the voice that then spoke it.
        for (std::size_t i = 1; i < spoken.size(); ++i)
            EXPECT_NE(std::find(hinted.begin(), hinted.end(), spoken[i]), hinted.end())
                << "piece " << i << " '" << spoken[i] << "' was not hinted";
        EXPECT_EQ(hinted.size(), spoken.size() - 1);
    }
}

TEST(Session, englishRepeatThreeInWordModeWaitsForSilenceEachTime) {
    Rig rig(u"one two");
    rig.view.repEN = 3;
    rig.press();
    rig.runToEnd();
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset",  //
                                       "EN speak one ", "RU reset", "EN speak one ", "RU reset",
                                       "EN speak one ", "RU reset", "EN speak two", "RU reset",
                                       "EN speak two", "RU reset", "EN speak two", "RU reset"}));
    EXPECT_EQ(rig.voices.busyAtSpeak, std::vector<bool>(6, false));
}

TEST(Session, alternatingSentencesGoToTheirOwnVoices) {
    Rig rig(u"Привет мир. Hello world. Пока.", true);
    rig.press();
    rig.runToEnd();
    EXPECT_EQ(rig.voices.log,
              (Strings{"RU reset", "EN reset", "RU speak Привет мир.", "EN reset",
                       "EN speak  Hello world.", "RU reset", "RU speak  Пока.", "EN reset"}));
    EXPECT_EQ(rig.view.panel3History,
              (Strings{" - Russian - ", " - English - ", " - Russian - ", " "}));
}

TEST(Session, eachPieceIsSelectedExactlyAndScrolledIntoView) {
    Rig rig(u"one two ...");
    rig.press();
    EXPECT_TRUE(rig.view.readOnly);
    EXPECT_TRUE(rig.view.reading);
    rig.runToEnd();
    // "..." has no language: selected like any piece, not spoken
    const std::vector<std::pair<long, long>> pieces{{0, 4}, {4, 4}, {8, 3}};
    EXPECT_EQ(rig.view.scrolledTo, pieces);
    EXPECT_EQ(rig.voices.spoken(), (Strings{"one ", "two "}));
}

TEST(Session, endOfTextPutsCaretAtTheEndAndSayUp) {
    Rig rig(u"one two three");
    rig.press();
    rig.runToEnd();
    EXPECT_FALSE(rig.view.sayDown);
    EXPECT_EQ(rig.view.releases, 1);
    EXPECT_EQ(rig.selection(), (std::pair<long, long>{13, 0}));
    EXPECT_FALSE(rig.view.readOnly);
    EXPECT_FALSE(rig.view.reading);
    EXPECT_EQ(rig.view.panel3(), " ");
    EXPECT_FALSE(rig.session.paused());

    rig.voices.log.clear();
    rig.press();  // after the end, Say starts from the beginning
    EXPECT_EQ(rig.voices.spoken(), Strings{"one "});
}

TEST(Session, lastPieceIsNotWaitedFor) {
    Rig rig(u"one");
    rig.voices.en.duration = kForever;
    rig.press();
    EXPECT_FALSE(rig.session.running());
    EXPECT_TRUE(rig.voices.en.speaking());
}

TEST(Session, emptyEditorEndsAtOnce) {
    Rig rig(u"");
    rig.press();
    EXPECT_FALSE(rig.session.running());
    EXPECT_FALSE(rig.view.sayDown);
    EXPECT_FALSE(rig.view.readOnly);
    EXPECT_EQ(rig.view.panel3(), " ");
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset"}));
}

TEST(Session, caretPanelsFollowEachPiece) {
    Rig rig(u"one\ntwo three");
    rig.press();
    EXPECT_EQ(rig.view.column, 0);
    EXPECT_EQ(rig.view.line, 1);
    rig.runUntilSpoken(2);  // "two "
    EXPECT_EQ(rig.view.column, 4);
    EXPECT_EQ(rig.view.line, 1);
}

TEST(Session, voiceThatNeverReportsSpeakingDoesNotStall) {
    Rig rig(u"one two three four");
    rig.voices.en.duration = 0;
    rig.view.repEN = 2;
    rig.press();
    rig.runToEnd();
    EXPECT_EQ(rig.voices.spoken().size(), 8u);
}

TEST(Session, repeatDownStartsOverAtTheEnd) {
    Rig rig(u"one two");
    rig.view.repeatDown = true;
    rig.press();
    rig.runUntilSpoken(4);
    EXPECT_EQ(rig.voices.spoken(), (Strings{"one ", "two", "one ", "two"}));
    EXPECT_NE(std::find(rig.view.selections.begin(), rig.view.selections.end(),
                        std::pair<long, long>{0, 0}),
              rig.view.selections.end());
    EXPECT_TRUE(rig.session.running());
    rig.view.repeatDown = false;
    rig.runToEnd();
    EXPECT_EQ(rig.voices.spoken().size(), 6u);
    EXPECT_EQ(rig.selection(), (std::pair<long, long>{7, 0}));
}

// With Repeat down, a text that has nothing to speak would start over for ever, busily
// reselecting nothing; one silent round from the start ends the reading instead.
struct SilentCase {
    const char* name;
    const char16_t* text;
};

void PrintTo(const SilentCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatWithNothingToSay : public testing::TestWithParam<SilentCase> {};

TEST_P(RepeatWithNothingToSay, endsAfterOneSilentRound) {
    Rig rig(GetParam().text);
    rig.view.repeatDown = true;
    rig.press();
    rig.runToEnd();
    EXPECT_TRUE(rig.voices.spoken().empty());
    EXPECT_FALSE(rig.view.sayDown);
    EXPECT_FALSE(rig.view.readOnly);
    EXPECT_EQ(rig.selection(),
              (std::pair<long, long>{static_cast<long>(rig.view.editorText.size()), 0}));
}

INSTANTIATE_TEST_SUITE_P(Session, RepeatWithNothingToSay,
                         testing::Values(SilentCase{"emptyText", u""},
                                         SilentCase{"stopsOnly", u"..."},
                                         SilentCase{"lineBreaksOnly", u"\n\n"},
                                         SilentCase{"marksAndBlanks", u" -, ?. "}),
                         test::CaseName);

TEST(Session, repeatFromTheMiddleOfATextStillGoesRoundToItsStart) {
    // Nothing to say after the caret, but something before it: the reading goes on.
    Rig rig(u"one -- ==");
    rig.view.repeatDown = true;
    rig.view.selStart = 8;
    rig.press();
    rig.runUntilSpoken(2);
    EXPECT_EQ(rig.voices.spoken(), (Strings{"one ", "one "}));
    EXPECT_TRUE(rig.session.running());
}

TEST(Session, browserPageIsImportedBeforeTheTextIsTaken) {
    Rig rig(u"old text");
    rig.view.browserActive = true;
    rig.view.browserText = u"page text";
    rig.press();
    EXPECT_EQ(rig.view.imports, 1);
    EXPECT_TRUE(rig.view.importedBeforeRead);
    EXPECT_EQ(rig.voices.spoken(), Strings{"page "});
}

}  // namespace
}  // namespace vernalo
