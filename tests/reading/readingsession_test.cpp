#include "reading/readingsession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {

void PrintTo(const std::u16string& s, std::ostream* os) {
    *os << '"' << Utf16ToUtf8(s) << '"';
}

namespace {

constexpr int kForever = -1;

struct Voices;

// A voice that speaks for a scripted number of event-loop turns and logs every call.
class FakeVoice : public Voice {
public:
    FakeVoice(const char* name, Voices& all) : name_(name), all_(all) {}

    int ModeCount() const override { return 1; }
    std::u16string ModeName(int) const override { return u"Fake"; }
    std::u16string Speaker(int) const override { return u"Fake"; }
    std::u16string ProductName(int) const override { return u"Fake"; }
    void Select(int) override {}
    int Speed() const override { return 100; }
    void SetSpeed(int) override {}
    int MinSpeed() const override { return 50; }
    int MaxSpeed() const override { return 200; }

    void Speak(const std::u16string& text) override;
    int Speaking() const override { return remaining != 0; }
    void AudioReset() override;

    void Advance() {
        if (remaining > 0) --remaining;
    }

    int duration = 2;   // turns a Speak keeps the voice busy; kForever: until reset
    int remaining = 0;  // turns left of the current speech

private:
    std::string name_;
    Voices& all_;
};

struct Voices {
    std::vector<std::string> log;   // "EN speak one ", "RU reset", in call order
    std::vector<bool> busyAtSpeak;  // was any voice speaking when a Speak came
    FakeVoice ru{"RU", *this};
    FakeVoice en{"EN", *this};

    void Advance() {
        ru.Advance();
        en.Advance();
    }
    // "RU 30." for each Speak, with the voice that spoke.
    std::vector<std::string> SpokenBy() const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.compare(3, 6, "speak ") == 0) out.push_back(l.substr(0, 3) + l.substr(9));
        return out;
    }
    std::vector<std::string> Spoken() const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.compare(3, 6, "speak ") == 0) out.push_back(l.substr(9));
        return out;
    }
};

void FakeVoice::Speak(const std::u16string& text) {
    all_.busyAtSpeak.push_back(all_.ru.remaining != 0 || all_.en.remaining != 0);
    all_.log.push_back(name_ + " speak " + Utf16ToUtf8(text));
    remaining = duration;
}

void FakeVoice::AudioReset() {
    all_.log.push_back(name_ + " reset");
    remaining = 0;
}

// Records what the session tells its owner, and shows it as the window's status bar would.
class FakeView : public SessionView {
public:
    std::u16string text() const override {
        ++textReads;
        return editorText;
    }
    long selectionStart() const override { return selStart; }
    ReadingOptions options() const override {
        ReadingOptions o;
        o.sentenceMode = sentenceMode;
        o.repeatText = repeatDown;
        o.repeats = {{repRU, repEN}};
        o.voiceOn = {{ruOn, enOn}};
        return o;
    }
    bool readingRequested() const override { return sayDown; }
    bool browserPageShown() const override { return browserActive; }
    void importBrowserPage() override {
        editorText = browserText;
        ++imports;
        importedBeforeRead = textReads == 0;
    }

    void readingStarted() override {
        readOnly = true;
        reading = true;
    }
    void showPiece(long start, long length) override {
        select(start, length);
        scrolledTo.emplace_back(selStart, selLength);
    }
    void placeCaret(long position) override { select(position, 0); }
    void speakingIn(std::optional<Language> language) override {
        const char* t = !language                        ? " "
                        : *language == Language::Russian ? " - Russian - "
                                                         : " - English - ";
        panel3History.push_back(t);
    }
    void caretMoved() override {
        const long caret = selStart + selLength;
        const auto nl = editorText.rfind(u'\n', caret == 0 ? 0 : caret - 1);
        column =
            nl == std::u16string::npos || caret == 0 ? caret : caret - static_cast<long>(nl) - 1;
        line = static_cast<long>(std::count(editorText.begin(), editorText.begin() + caret, u'\n'));
    }
    void readingStopped(ReadingStop why) override {
        readOnly = false;
        reading = false;
        if (why != ReadingStop::Paused) {
            sayDown = false;
            ++releases;
        }
    }

    std::string panel3() const { return panel3History.empty() ? "" : panel3History.back(); }

    std::u16string editorText;
    long selStart = 0, selLength = 0;
    bool readOnly = false, sayDown = false, repeatDown = false, reading = false;
    int releases = 0;
    bool sentenceMode = false;
    int repRU = 1, repEN = 1;
    bool ruOn = true, enOn = true;
    long column = 0, line = 0;
    std::vector<std::string> panel3History;
    std::vector<std::pair<long, long>> selections, scrolledTo;
    bool browserActive = false, importedBeforeRead = false;
    std::u16string browserText;
    int imports = 0;
    mutable int textReads = 0;

private:
    void select(long start, long length) {
        const long size = static_cast<long>(editorText.size());
        selStart = std::clamp(start, 0L, size);
        selLength = std::clamp(length, 0L, size - selStart);
        selections.emplace_back(start, length);
    }
};

// The window, its voices and the session, with the event loop turned by hand.
struct Rig {
    FakeView view;
    Voices voices;
    DictionaryStore dicts;
    Segmenter seg{dicts};
    ReadingSession session{view, {{&voices.ru, &voices.en}}, seg};

    explicit Rig(std::u16string text, bool sentenceMode = false) {
        view.editorText = std::move(text);
        view.sentenceMode = sentenceMode;
    }
    void Press() {
        view.sayDown = true;
        session.sayToggled(true);
    }
    void Release() {
        view.sayDown = false;
        session.sayToggled(false);
    }
    // One turn of the event loop: time passes for the voices, then the session polls.
    void Turn() {
        voices.Advance();
        session.tick();
    }
    void RunToEnd() {
        for (int i = 0; i < 10000 && session.running(); ++i)
            Turn();
        ASSERT_FALSE(session.running()) << "the session never ended";
    }
    // Turns until `n` Speak calls have been made in all.
    void RunUntilSpoken(std::size_t n) {
        for (int i = 0; i < 10000 && voices.Spoken().size() < n; ++i)
            Turn();
        ASSERT_EQ(voices.Spoken().size(), n);
    }
    std::pair<long, long> Selection() const { return {view.selStart, view.selLength}; }
};

using Strings = std::vector<std::string>;

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
    rig.Press();
    ASSERT_FALSE(rig.voices.Spoken().empty());
    EXPECT_EQ(rig.voices.Spoken()[0], c.firstSpeech);
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
        rig.Press();
        rig.RunToEnd();
        for (const auto& [start, length] : rig.view.scrolledTo) {
            EXPECT_FALSE(SplitsAPair(text, start)) << "caret " << caret << " start " << start;
            EXPECT_FALSE(SplitsAPair(text, start + length)) << "caret " << caret;
        }
        for (const std::string& spoken : rig.voices.Spoken())
            EXPECT_EQ(spoken.find("\xEF\xBF\xBD"), std::string::npos)
                << "caret " << caret << ": half a character spoken";
    }
}

INSTANTIATE_TEST_SUITE_P(Session, SurrogatePairs, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "sentences" : "words"; });

// --- Through the text and to its end --------------------------------------------------------

TEST(Session, englishRepeatThreeInWordModeWaitsForSilenceEachTime) {
    Rig rig(u"one two");
    rig.view.repEN = 3;
    rig.Press();
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset",  //
                                       "EN speak one ", "RU reset", "EN speak one ", "RU reset",
                                       "EN speak one ", "RU reset", "EN speak two", "RU reset",
                                       "EN speak two", "RU reset", "EN speak two", "RU reset"}));
    EXPECT_EQ(rig.voices.busyAtSpeak, std::vector<bool>(6, false));
}

TEST(Session, alternatingSentencesGoToTheirOwnVoices) {
    Rig rig(u"Привет мир. Hello world. Пока.", true);
    rig.Press();
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.log,
              (Strings{"RU reset", "EN reset", "RU speak Привет мир.", "EN reset",
                       "EN speak  Hello world.", "RU reset", "RU speak  Пока.", "EN reset"}));
    EXPECT_EQ(rig.view.panel3History,
              (Strings{" - Russian - ", " - English - ", " - Russian - ", " "}));
}

TEST(Session, eachPieceIsSelectedExactlyAndScrolledIntoView) {
    Rig rig(u"one two ...");
    rig.Press();
    EXPECT_TRUE(rig.view.readOnly);
    EXPECT_TRUE(rig.view.reading);
    rig.RunToEnd();
    // "..." has no language: selected like any piece, not spoken
    const std::vector<std::pair<long, long>> pieces{{0, 4}, {4, 4}, {8, 3}};
    EXPECT_EQ(rig.view.scrolledTo, pieces);
    EXPECT_EQ(rig.voices.Spoken(), (Strings{"one ", "two "}));
}

TEST(Session, endOfTextPutsCaretAtTheEndAndSayUp) {
    Rig rig(u"one two three");
    rig.Press();
    rig.RunToEnd();
    EXPECT_FALSE(rig.view.sayDown);
    EXPECT_EQ(rig.view.releases, 1);
    EXPECT_EQ(rig.Selection(), (std::pair<long, long>{13, 0}));
    EXPECT_FALSE(rig.view.readOnly);
    EXPECT_FALSE(rig.view.reading);
    EXPECT_EQ(rig.view.panel3(), " ");
    EXPECT_FALSE(rig.session.paused());

    rig.voices.log.clear();
    rig.Press();  // after the end, Say starts from the beginning
    EXPECT_EQ(rig.voices.Spoken(), Strings{"one "});
}

TEST(Session, lastPieceIsNotWaitedFor) {
    Rig rig(u"one");
    rig.voices.en.duration = kForever;
    rig.Press();
    EXPECT_FALSE(rig.session.running());
    EXPECT_TRUE(rig.voices.en.Speaking());
}

TEST(Session, emptyEditorEndsAtOnce) {
    Rig rig(u"");
    rig.Press();
    EXPECT_FALSE(rig.session.running());
    EXPECT_FALSE(rig.view.sayDown);
    EXPECT_FALSE(rig.view.readOnly);
    EXPECT_EQ(rig.view.panel3(), " ");
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset"}));
}

TEST(Session, caretPanelsFollowEachPiece) {
    Rig rig(u"one\ntwo three");
    rig.Press();
    EXPECT_EQ(rig.view.column, 0);
    EXPECT_EQ(rig.view.line, 1);
    rig.RunUntilSpoken(2);  // "two "
    EXPECT_EQ(rig.view.column, 4);
    EXPECT_EQ(rig.view.line, 1);
}

TEST(Session, voiceThatNeverReportsSpeakingDoesNotStall) {
    Rig rig(u"one two three four");
    rig.voices.en.duration = 0;
    rig.view.repEN = 2;
    rig.Press();
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.Spoken().size(), 8u);
}

TEST(Session, repeatDownStartsOverAtTheEnd) {
    Rig rig(u"one two");
    rig.view.repeatDown = true;
    rig.Press();
    rig.RunUntilSpoken(4);
    EXPECT_EQ(rig.voices.Spoken(), (Strings{"one ", "two", "one ", "two"}));
    EXPECT_NE(std::find(rig.view.selections.begin(), rig.view.selections.end(),
                        std::pair<long, long>{0, 0}),
              rig.view.selections.end());
    EXPECT_TRUE(rig.session.running());
    rig.view.repeatDown = false;
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.Spoken().size(), 6u);
    EXPECT_EQ(rig.Selection(), (std::pair<long, long>{7, 0}));
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
    rig.Press();
    rig.RunToEnd();
    EXPECT_TRUE(rig.voices.Spoken().empty());
    EXPECT_FALSE(rig.view.sayDown);
    EXPECT_FALSE(rig.view.readOnly);
    EXPECT_EQ(rig.Selection(),
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
    rig.Press();
    rig.RunUntilSpoken(2);
    EXPECT_EQ(rig.voices.Spoken(), (Strings{"one ", "one "}));
    EXPECT_TRUE(rig.session.running());
}

TEST(Session, browserPageIsImportedBeforeTheTextIsTaken) {
    Rig rig(u"old text");
    rig.view.browserActive = true;
    rig.view.browserText = u"page text";
    rig.Press();
    EXPECT_EQ(rig.view.imports, 1);
    EXPECT_TRUE(rig.view.importedBeforeRead);
    EXPECT_EQ(rig.voices.Spoken(), Strings{"page "});
}

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
    rig.Press();
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.SpokenBy(), c.spoken);
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
        NumberCase{"repeatCountOfTheVoice",
                   u"Call 911!",
                   false,
                   {"EN Call ", "EN Call ", "EN 911!", "EN 911!"},
                   true,
                   true,
                   3,
                   2},
        NumberCase{"noDigitStaysSilent", u"Call ...", false, {"EN Call "}}),
    test::CaseName);

TEST(Session, numberAfterTheLastVoiceWasSwitchedOffGoesToTheOther) {
    Rig rig(u"Hello 3,5");

    rig.Press();
    ASSERT_EQ(rig.voices.SpokenBy(), Strings{"EN Hello "});
    rig.view.enOn = false;
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.SpokenBy(), (Strings{"EN Hello ", "RU 3,5"}));
}

TEST(Session, lastVoiceIsForgottenWhenANewReadingStarts) {
    Rig rig(u"Hello 42");
    rig.Press();
    rig.RunToEnd();
    rig.voices.log.clear();
    rig.view.selStart = 6;  // the caret before "42": reading starts with the blank
    rig.Press();
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.SpokenBy(), Strings{"RU  42"});
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
    rig.Press();
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.Spoken().size(), GetParam().spoken);
}

INSTANTIATE_TEST_SUITE_P(Session, RepeatCount,
                         testing::Values(RepeatCase{"once", 1, 1}, RepeatCase{"tenTimes", 10, 10},
                                         RepeatCase{"zeroIsOnce", 0, 1},
                                         RepeatCase{"negativeIsOnce", -3, 1},
                                         RepeatCase{"elevenIsTen", 11, 10}),
                         test::CaseName);

TEST(Session, repeatCountsAndModeAreReadAtEachPiece) {
    Rig rig(u"one two three. four");
    rig.Press();
    rig.view.repEN = 2;
    rig.view.sentenceMode = true;  // sentence mode from the next piece on
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.Spoken(), (Strings{"one ", "two three.", "two three.", " four", " four"}));
}

// Sentence mode waits for the piece's own voice only; word mode for both voices.
class WaitPerMode : public testing::TestWithParam<bool> {};

TEST_P(WaitPerMode, repetitionWaitsAsTheModeSays) {
    const bool sentenceMode = GetParam();
    Rig rig(u"Привет.", sentenceMode);
    rig.view.repRU = 2;
    rig.Press();
    ASSERT_EQ(rig.voices.Spoken().size(), 1u);
    rig.voices.en.remaining = kForever;  // e.g. a test phrase on the English voice
    rig.voices.ru.remaining = 0;
    rig.session.tick();
    if (sentenceMode) {
        EXPECT_EQ(rig.voices.Spoken().size(), 2u);
        EXPECT_EQ(rig.voices.log.back(), "EN reset");
    } else {
        EXPECT_EQ(rig.voices.Spoken().size(), 1u);
        rig.voices.en.remaining = 0;
        rig.session.tick();
        EXPECT_EQ(rig.voices.Spoken().size(), 2u);
        EXPECT_EQ(rig.voices.busyAtSpeak, (std::vector<bool>{false, false}));
    }
}

INSTANTIATE_TEST_SUITE_P(Session, WaitPerMode, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "sentence" : "word"; });

// --- Pause, resume and close ----------------------------------------------------------------

TEST(Session, releasingSaySilencesAtOnceAndLeavesThePieceSelected) {
    Rig rig(u"one two three");
    rig.view.repEN = 3;
    rig.Press();
    rig.RunUntilSpoken(4);  // "two " once
    rig.voices.log.clear();
    rig.Release();
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset"}));
    EXPECT_FALSE(rig.session.running());
    EXPECT_TRUE(rig.session.paused());
    EXPECT_EQ(rig.Selection(), (std::pair<long, long>{4, 4}));
    EXPECT_FALSE(rig.view.readOnly);
    EXPECT_FALSE(rig.view.reading);
    EXPECT_EQ(rig.view.panel3(), " ");
    for (int i = 0; i < 20; ++i)
        rig.Turn();
    EXPECT_EQ(rig.voices.Spoken().size(), 0u) << "the rest of the repeats was not dropped";

    rig.Press();  // resumes with the first character of that piece, all repeats again
    rig.RunToEnd();
    EXPECT_EQ(rig.voices.Spoken(), (Strings{"two ", "two ", "two ", "three", "three", "three"}));
}

TEST(Session, resumeFollowsACaretMovedWhilePaused) {
    Rig rig(u"one two three");
    rig.Press();
    rig.Release();
    rig.view.selStart = 8;
    rig.view.selLength = 0;
    rig.voices.log.clear();
    rig.view.scrolledTo.clear();
    rig.Press();
    EXPECT_EQ(rig.voices.Spoken(), Strings{"three"});
    ASSERT_FALSE(rig.view.scrolledTo.empty());
    EXPECT_EQ(rig.view.scrolledTo[0], (std::pair<long, long>{8, 5}));
}

TEST(Session, sayReleasedWithoutAClickStillPauses) {
    Rig rig(u"one two");
    rig.Press();
    rig.view.sayDown = false;
    rig.voices.log.clear();
    rig.Turn();
    EXPECT_FALSE(rig.session.running());
    EXPECT_TRUE(rig.session.paused());
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset"}));
}

TEST(Session, closingWhileReadingStopsSpeechAtOnce) {
    Rig rig(u"one two three");
    rig.view.repEN = 5;
    rig.Press();
    rig.voices.log.clear();
    rig.session.close();
    EXPECT_EQ(rig.voices.log, (Strings{"RU reset", "EN reset"}));
    EXPECT_FALSE(rig.view.sayDown);
    EXPECT_FALSE(rig.session.running());
    EXPECT_TRUE(rig.session.paused());
    EXPECT_FALSE(rig.view.readOnly);
    rig.Turn();
    EXPECT_EQ(rig.voices.Spoken().size(), 0u);
}

TEST(Session, closingAfterTheEndSilencesTheLastPiece) {
    Rig rig(u"one");
    rig.voices.en.duration = kForever;
    rig.Press();
    rig.session.close();
    EXPECT_FALSE(rig.voices.en.Speaking());
    EXPECT_FALSE(rig.session.paused());
}

}  // namespace
}  // namespace vernalo
