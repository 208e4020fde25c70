// The reading session: numbers, settings changed while reading, pause, resume and close.

#include "reading/sessionrig.h"

namespace vernalo {
namespace {

// --- Numbers without words of a language ----------------------------------------------------

// A piece without a language that holds a digit is read as the editor shows it, by the voice
// that spoke last if it is on, else Russian if on, else English, with that voice's count.
struct NumberCase {
    const char* name;
    std::u16string text;
    bool sentenceMode;
    Strings spoken;  // voice and text of every Speak
    bool ruOn = true, enOn = true;
    int repRU = 1, repEN = 1;
    Strings told{};  // what the view is told before each Speak; not checked when empty
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.name;
}

class NumbersWithoutLanguage : public testing::TestWithParam<NumberCase> {};

TEST_P(NumbersWithoutLanguage, areSpokenByTheVoiceReadingOn) {
    const NumberCase& c = GetParam();
    Rig rig(c.text, c.sentenceMode);
    rig.view.ruOn = c.ruOn;
    rig.view.enOn = c.enOn;
    rig.view.repRU = c.repRU;
    rig.view.repEN = c.repEN;
    rig.press();
    rig.runToEnd();
    EXPECT_EQ(rig.voices.spokenBy(), c.spoken);
    if (!c.told.empty()) {
        EXPECT_EQ(rig.view.told, c.told);
    }
    Strings panels;
    for (const std::string& s : c.spoken)
        panels.push_back(s.compare(0, 2, "RU") == 0 ? " - Russian - " : " - English - ");
    panels.push_back(" ");
    EXPECT_EQ(rig.view.panel3History, panels);
}

INSTANTIATE_TEST_SUITE_P(
    Session, NumbersWithoutLanguage,
    testing::Values(
        NumberCase{"russianWords", u"ему 30.", false, {"RU ему ", "RU 30."}},
        NumberCase{
            "russianSentence", u"Мне 25 лет, ему 30.", true, {"RU Мне 25 лет, ему ", "RU 30."}},
        NumberCase{"englishWords", u"Call 911!", false, {"EN Call ", "EN 911!"}},
        NumberCase{"englishSentence", u"Read chapter 5.", true, {"EN Read chapter ", "EN 5."}},
        NumberCase{
            "lastVoiceNotFirst", u"Привет hello 7", false, {"RU Привет ", "EN hello ", "EN 7"}},
        NumberCase{"nothingSpokenBeforeGoesToRussian", u"1,000,000", false, {"RU 1,000,000"}},
        NumberCase{"russianOffGoesToEnglish", u"3,5", false, {"EN 3,5"}, false, true},
        // The switched-off letters are no language of their own: the span as written.
        NumberCase{"englishOffSpansTheLetters", u"Call 3,5", false, {"RU Call 3,5"}, true, false},
        NumberCase{
            "repeatCountOfTheVoice",
            u"Call 911!",
            false,
            {"EN Call ", "EN Call ", "EN 911!", "EN 911!"},
            true,
            true,
            3,
            2,
            {"0+5 EN #0 Call  @0", "0+5 EN #1 Call  @1", "5+4 EN #0 911! @2", "5+4 EN #1 911! @3"}},
        NumberCase{"noDigitStaysSilent", u"Call ...", false, {"EN Call "}}),
    test::CaseName);

TEST(Session, numberAfterTheLastVoiceWasSwitchedOffGoesToTheOther) {
    Rig rig(u"Hello 3,5");

    rig.press();
    ASSERT_EQ(rig.voices.spokenBy(), Strings{"EN Hello "});
    rig.view.enOn = false;
    rig.runToEnd();
    EXPECT_EQ(rig.voices.spokenBy(), (Strings{"EN Hello ", "RU 3,5"}));
}

TEST(Session, lastVoiceIsForgottenWhenANewReadingStarts) {
    Rig rig(u"Hello 42");
    rig.press();
    rig.runToEnd();
    rig.voices.log.clear();
    rig.view.selStart = 6;  // the caret before "42": reading starts with the blank
    rig.press();
    rig.runToEnd();
    EXPECT_EQ(rig.voices.spokenBy(), Strings{"RU  42"});
}

// --- Settings changed while reading ---------------------------------------------------------

struct RepeatCase {
    const char* name;
    int count;
    std::size_t spoken;
};

void PrintTo(const RepeatCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatCount : public testing::TestWithParam<RepeatCase> {};

TEST_P(RepeatCount, isKeptWithinOneToTen) {
    Rig rig(u"word");
    rig.view.repEN = GetParam().count;
    rig.press();
    rig.runToEnd();
    EXPECT_EQ(rig.voices.spoken().size(), GetParam().spoken);
}

INSTANTIATE_TEST_SUITE_P(Session, RepeatCount,
                         testing::Values(RepeatCase{"once", 1, 1}, RepeatCase{"tenTimes", 10, 10},
                                         RepeatCase{"zeroIsOnce", 0, 1},
                                         RepeatCase{"negativeIsOnce", -3, 1},
                                         RepeatCase{"elevenIsTen", 11, 10}),
                         test::CaseName);

TEST(Session, repeatCountsAndModeAreReadAtEachPiece) {
    Rig rig(u"one two three. four");
    rig.press();
    rig.view.repEN = 2;
    rig.view.sentenceMode = true;  // sentence mode from the next piece on
    rig.runToEnd();
    EXPECT_EQ(rig.voices.spoken(), (Strings{"one ", "two three.", "two three.", " four", " four"}));
}

// Sentence mode waits for the piece's own voice only; word mode for both voices.
class WaitPerMode : public testing::TestWithParam<bool> {};

TEST_P(WaitPerMode, repetitionWaitsAsTheModeSays) {
    const bool sentenceMode = GetParam();
    Rig rig(u"Привет.", sentenceMode);
    rig.view.repRU = 2;
    rig.press();
    ASSERT_EQ(rig.voices.spoken().size(), 1u);
    rig.voices.en.remaining = kForever;  // e.g. a test phrase on the English voice
    rig.voices.ru.remaining = 0;
    rig.session.tick();
    if (sentenceMode) {
        EXPECT_EQ(rig.voices.spoken().size(), 2u);
        EXPECT_EQ(rig.voices.log.back(), "EN reset");
    } else {
        EXPECT_EQ(rig.voices.spoken().size(), 1u);
        rig.voices.en.remaining = 0;
        rig.session.tick();
        EXPECT_EQ(rig.voices.spoken().size(), 2u);
        EXPECT_EQ(rig.voices.busyAtSpeak, (std::vector<bool>{false, false}));
    }
}

INSTANTIATE_TEST_SUITE_P(Session, WaitPerMode, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "sentence" : "word"; });

// --- Pause, resume and close ----------------------------------------------------------------

TEST(Session, releasingSaySilencesAtOnceAndLeavesThePieceSelected) {
    Rig rig(u"one two three");
    rig.view.repEN = 3;
    rig.press();
    rig.runUntilSpoken(4);  // "two " once
    rig.voices.log.clear();
    rig.release();
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset"}));
    EXPECT_FALSE(rig.session.running());
    EXPECT_TRUE(rig.session.paused());
    EXPECT_EQ(rig.selection(), (std::pair<long, long>{4, 4}));
    EXPECT_FALSE(rig.view.readOnly);
    EXPECT_FALSE(rig.view.reading);
    EXPECT_EQ(rig.view.panel3(), " ");
    for (int i = 0; i < 20; ++i)
        rig.turn();
    EXPECT_EQ(rig.voices.spoken().size(), 0u) << "the rest of the repeats was not dropped";

    rig.press();  // resumes with the first character of that piece, all repeats again
    rig.runToEnd();
    EXPECT_EQ(rig.voices.spoken(), (Strings{"two ", "two ", "two ", "three", "three", "three"}));
}

TEST(Session, resumeFollowsACaretMovedWhilePaused) {
    Rig rig(u"one two three");
    rig.press();
    rig.release();
    rig.view.selStart = 8;
    rig.view.selLength = 0;
    rig.voices.log.clear();
    rig.view.scrolledTo.clear();
    rig.press();
    EXPECT_EQ(rig.voices.spoken(), Strings{"three"});
    ASSERT_FALSE(rig.view.scrolledTo.empty());
    EXPECT_EQ(rig.view.scrolledTo[0], (std::pair<long, long>{8, 5}));
}

TEST(Session, sayReleasedWithoutAClickStillPauses) {
    Rig rig(u"one two");
    rig.press();
    rig.view.sayDown = false;
    rig.voices.log.clear();
    rig.turn();
    EXPECT_FALSE(rig.session.running());
    EXPECT_TRUE(rig.session.paused());
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset"}));
}

TEST(Session, closingWhileReadingStopsSpeechAtOnce) {
    Rig rig(u"one two three");
    rig.view.repEN = 5;
    rig.press();
    rig.voices.log.clear();
    rig.session.close();
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset"}));
    EXPECT_FALSE(rig.view.sayDown);
    EXPECT_FALSE(rig.session.running());
    EXPECT_TRUE(rig.session.paused());
    EXPECT_FALSE(rig.view.readOnly);
    rig.turn();
    EXPECT_EQ(rig.voices.spoken().size(), 0u);
}

TEST(Session, closingAfterTheEndSilencesTheLastPiece) {
    Rig rig(u"one");
    rig.voices.en.duration = kForever;
    rig.press();
    rig.session.close();
    EXPECT_FALSE(rig.voices.en.speaking());
    EXPECT_FALSE(rig.session.paused());
}

}  // namespace
}  // namespace vernalo
