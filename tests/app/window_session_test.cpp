// Say in the window: with scripted voices, and end to end with the built-in engine on the
// test sound server.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextTable>
#include <QToolButton>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/pages/speechpage.h"
#include "app/window/texteditor.h"
#include "support/accessible.h"
#include "support/monitor.h"
#include "support/opendocument.h"
#include "support/scriptedservice.h"
#include "support/stretches.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

using test::FakeMode;
using test::FakeVoice;

// A voice that stays busy after Speak until the test lets it finish.
class BusyVoice : public FakeVoice {
public:
    // Not of the dictionaries' engine: no loader writes its status in the middle of a test.
    BusyVoice()
        : FakeVoice({{u"Russian", u"Nicolai", u"Scripted"}, {u"English", u"Carol", u"Scripted"}}) {}
    void speak(const std::u16string& text) override {
        FakeVoice::speak(text);
        busy = true;
    }
    int speaking() const override { return busy ? 1 : 0; }
    void audioReset() override {
        busy = false;
        ++resets;
    }
    std::optional<WordSpan> heardWord() const override { return busy ? heard : std::nullopt; }
    bool busy = false;
    int resets = 0;
    std::optional<WordSpan> heard;  // the word the test says is being heard
};

struct Voices {
    BusyVoice* ru = nullptr;
    BusyVoice* en = nullptr;
};

class WindowSay : public testing::Test, protected test::WindowRig {
protected:
    MainWindow& start(bool builtIn = false) {
        MainWindow::Options o = options();
        o.voices = {};
        if (!builtIn) {
            o.voices = [this] {
                auto ru = std::make_unique<BusyVoice>();
                auto en = std::make_unique<BusyVoice>();
                voices.ru = ru.get();
                voices.en = en.get();
                return PerLanguage<std::unique_ptr<Voice>>{{std::move(ru), std::move(en)}};
            };
        }
        return startWindow(std::move(o));
    }
    QToolButton* say() { return test::FindAccessible<QToolButton>(window.get(), "Say text/Pause"); }
    QString selected() { return window->editor()->textCursor().selectedText(); }

    Voices voices;
};

TEST_F(WindowSay, readsEachPieceHighlightedAndEndsWithTheCaretAtTheEnd) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("Hello world. Привет мир."));
    say()->click();
    EXPECT_TRUE(w.editor()->isReadOnly());
    EXPECT_EQ(selected(), QStringLiteral("Hello world."));
    EXPECT_EQ(w.statusText(StatusPanel::Activity), QStringLiteral(" - English - "));
    ASSERT_EQ(voices.en->spoken.size(), 1u);
    voices.en->busy = false;
    // The last piece is handed to its voice and the reading ends without waiting for it.
    ASSERT_TRUE(test::WaitFor([&] { return !say()->isChecked(); }, 2000));
    ASSERT_EQ(voices.ru->spoken.size(), 1u);
    EXPECT_EQ(voices.ru->spoken[0], u" Привет мир.");
    EXPECT_GE(voices.en->resets, 1);  // the other voice is reset after each Speak
    EXPECT_FALSE(w.editor()->isReadOnly());
    EXPECT_EQ(w.editor()->textCursor().position(), 24);
    EXPECT_EQ(w.statusText(StatusPanel::Activity), QStringLiteral(" "));
}

TEST_F(WindowSay, theWordHeardIsMarkedOverTheSelectionOutsideTheDocument) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("Hello big world. Bye."));
    const int undoSteps = w.editor()->document()->availableUndoSteps();
    auto marked = [&] { return w.editor()->markedWord(); };
    say()->click();
    voices.en->heard = Voice::WordSpan{6, 3};
    ASSERT_TRUE(test::WaitFor([&] { return marked() == std::pair(6L, 3L); }, 2000));
    EXPECT_EQ(selected(), QStringLiteral("Hello big world."));
    EXPECT_EQ(w.editor()->document()->availableUndoSteps(), undoSteps);
    EXPECT_FALSE(w.editor()->document()->isModified());
    // Let go of Say: the mark goes with the reading.
    say()->click();
    EXPECT_EQ(marked(), std::pair(0L, 0L));
    // Turned off on the Options page: none while reading.
    w.findChild<QCheckBox*>(QStringLiteral("markWordBox"))->setChecked(false);
    say()->click();
    ASSERT_TRUE(voices.en->busy);
    EXPECT_FALSE(test::WaitFor([&] { return marked() != std::pair(0L, 0L); }, 50));
    say()->click();
}

// A speech-dispatcher voice whose service dies mid-reading: the reading pauses and says why,
// instead of skipping on in silence or waiting for an end that never comes.
TEST_F(WindowSay, serviceDyingMidReadingPausesWithAMessage) {
    test::Script script;
    DispatcherCatalog catalog([&script] { return std::make_unique<test::ScriptedClient>(script); });
    ASSERT_TRUE(catalog.wait(std::chrono::seconds(5)));
    MainWindow::Options o = options();
    o.voices = [&catalog] {
        return PerLanguage<std::unique_ptr<Voice>>{
            {std::make_unique<BusyVoice>(), std::make_unique<DispatcherVoice>(catalog)}};
    };
    startWindow(std::move(o));
    window->editor()->setPlainText(QStringLiteral("One. Two. Three."));
    say()->click();
    ASSERT_TRUE(test::WaitFor(
        [&] {
            std::lock_guard lock(script.mutex);
            return script.said.size() == 1;
        },
        3000));
    script.reachable = false;
    script.alive = false;
    ASSERT_TRUE(test::WaitFor([&] { return !say()->isChecked(); }, 3000)) << "the reading went on";
    EXPECT_TRUE(window->controllers().reading.session().paused());
    EXPECT_TRUE(window->statusText(StatusPanel::Activity)
                    .startsWith(QStringLiteral("Reading paused: speech-dispatcher")))
        << window->statusText(StatusPanel::Activity).toStdString();
    window.reset();  // before the catalog its voice lists from
}

// While a voice loads (both may, one after the other), the status bar says so; once the last
// has loaded, it says again what it said before.
TEST_F(WindowSay, aLoadingVoiceIsToldInTheStatusBarUntilItHasLoaded) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("Hello world. Привет мир."));
    say()->click();
    const QString speaking = w.statusText(StatusPanel::Activity);
    ASSERT_EQ(speaking, QStringLiteral(" - English - "));
    auto* page = w.findChild<SpeechPage*>();
    ASSERT_NE(page, nullptr);
    const QString ru = QStringLiteral("msu_ru_nsh (Festival)"),
                  en = QStringLiteral("cmu_us_slt_arctic (Festival)");
    const struct {
        const QString& speaker;
        bool loading;
        QString shown;
    } steps[] = {
        {en, true, QStringLiteral("Loading the voice cmu_us_slt_arctic (Festival)…")},
        {ru, true, QStringLiteral("Loading the voice msu_ru_nsh (Festival)…")},
        {en, false, QStringLiteral("Loading the voice msu_ru_nsh (Festival)…")},
        {ru, false, speaking},
    };
    for (const auto& step : steps) {
        emit page->voiceLoading(step.speaker, step.loading);
        EXPECT_EQ(w.statusText(StatusPanel::Activity), step.shown)
            << step.speaker.toStdString() << " " << step.loading;
    }
    say()->click();
}

TEST_F(WindowSay, releasingSayStopsAtOnceAndSayAgainResumesAtThePiece) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("One. Two. Three."));
    say()->click();
    voices.en->busy = false;
    ASSERT_TRUE(test::WaitFor([&] { return voices.en->spoken.size() == 2; }, 2000));
    EXPECT_EQ(selected(), QStringLiteral(" Two."));
    const int resets = voices.en->resets;
    say()->click();  // release: pause
    EXPECT_FALSE(voices.en->busy);
    EXPECT_GT(voices.en->resets, resets);
    EXPECT_EQ(selected(), QStringLiteral(" Two."));
    EXPECT_TRUE(w.controllers().reading.session().paused());
    say()->click();  // resume at the first character of that piece
    EXPECT_EQ(voices.en->spoken.back(), u" Two.");
}

TEST_F(WindowSay, closingDuringReadingSilencesBothVoices) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("One two three."));
    say()->click();
    EXPECT_TRUE(voices.en->busy);
    w.close();
    EXPECT_FALSE(voices.en->busy);
    EXPECT_FALSE(say()->isChecked());
    EXPECT_FALSE(w.controllers().reading.session().running());
}

// The editor marks where a table, each of its cells and an embedded image begin and end with
// characters of its own; they part words as line breaks and spaces do, and are never spoken.
TEST_F(WindowSay, tableCellsAndImagesPartWordsAndAreNotSpoken) {
    MainWindow& w = start();
    QTextCursor c(w.editor()->document());
    c.insertText(QStringLiteral("Intro"));
    QTextTable* table = c.insertTable(1, 2);
    table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("one"));
    table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("two"));
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("End"));
    c.insertImage(QImage(4, 4, QImage::Format_RGB32));
    c.insertText(QStringLiteral("tail"));
    test::FindAccessible<QCheckBox>(&w, "Repeaing a sentences")->setChecked(false);
    test::FindAccessible<QCheckBox>(&w, "Repeating a words")->setChecked(true);
    w.editor()->setTextCursor(QTextCursor(w.editor()->document()));
    say()->click();
    ASSERT_TRUE(test::WaitFor(
        [&] {
            voices.en->busy = false;
            return !say()->isChecked();
        },
        2000));
    std::vector<QString> words;
    for (const std::u16string& s : voices.en->spoken) {
        const QString q = QString::fromStdU16String(s);
        for (QChar marker :
             {QChar(0xFDD0), QChar(0xFDD1), QChar(QChar::ObjectReplacementCharacter)})
            EXPECT_FALSE(q.contains(marker)) << q.toStdString();
        words.push_back(q.trimmed());
    }
    EXPECT_EQ(words, (std::vector<QString>{QStringLiteral("Intro"), QStringLiteral("one"),
                                           QStringLiteral("two"), QStringLiteral("End"),
                                           QStringLiteral("tail")}));
}

// The editor is read-only while Say is down, but Open, Clear, Dos2Win and HTML to text still
// replace its text. Reading on would speak a text no longer shown and highlight pieces of the
// new one at the old places; the reading stops instead, as releasing Say does.
struct ReplaceCase {
    const char* name;
    std::function<void(MainWindow&, const std::string& dir)> replace;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) {
    *os << c.name;
}

class WindowSayReplaced : public WindowSay, public testing::WithParamInterface<ReplaceCase> {};

TEST_P(WindowSayReplaced, stopsTheReading) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("One. Two. Three. Four."));
    say()->click();
    ASSERT_TRUE(w.controllers().reading.session().running());
    ASSERT_TRUE(voices.en->busy);
    GetParam().replace(w, dir);
    EXPECT_FALSE(w.controllers().reading.session().running());
    EXPECT_FALSE(say()->isChecked());
    EXPECT_FALSE(voices.en->busy) << "the old text is still being spoken";
    EXPECT_FALSE(w.editor()->isReadOnly());
    const std::size_t spoken = voices.en->spoken.size();
    voices.en->busy = false;
    EXPECT_FALSE(test::WaitFor([&] { return voices.en->spoken.size() != spoken; }, 50));
}

INSTANTIATE_TEST_SUITE_P(
    WindowSay, WindowSayReplaced,
    testing::Values(ReplaceCase{"open",
                                [](MainWindow& w, const std::string& dir) {
                                    std::ofstream(dir + "/other.txt") << "Other words here.";
                                    ASSERT_TRUE(test::OpenAndWait(w, dir + "/other.txt"));
                                }},
                    ReplaceCase{"clear",
                                [](MainWindow& w, const std::string&) {
                                    w.controllers().documents.clearText();
                                }},
                    ReplaceCase{"dos2win",
                                [](MainWindow& w, const std::string&) {
                                    w.controllers().documents.recodeDosToWindows();
                                }},
                    ReplaceCase{"html2text",
                                [](MainWindow& w, const std::string&) {
                                    w.controllers().documents.htmlToText();
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowSay, aFontChosenWhileReadingLetsTheReadingGoOn) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("One. Two. Three."));
    say()->click();
    w.controllers().persistence.applyEditorFont(QFont(QStringLiteral("Serif"), 14),
                                                kWindowTextColor);
    EXPECT_TRUE(w.controllers().reading.session().running());
    EXPECT_TRUE(say()->isChecked());
}

TEST_F(WindowSay, builtInVoicesSpeakEveryPieceOnTheSoundServer) {
    if (!test::Monitor()) GTEST_SKIP() << "no test sound server (run through test.sh)";
    const test::SinkLock sink;
    MainWindow& w = start(true);
    w.editor()->setPlainText(QStringLiteral("Hello there. Привет. Bye."));
    const std::size_t before = test::MonitorSize();
    std::vector<QString> highlighted, marked;
    auto follow = [&] {
        const auto [start, length] = w.editor()->markedWord();
        const QString word = w.editor()->toPlainText().mid(start, length);
        if (!word.isEmpty() && (marked.empty() || marked.back() != word)) marked.push_back(word);
    };
    say()->click();
    ASSERT_TRUE(test::WaitFor(
        [&] {
            QString s = selected();
            if (!s.isEmpty() && (highlighted.empty() || highlighted.back() != s))
                highlighted.push_back(s);
            follow();
            return !say()->isChecked();
        },
        20000));
    // The last piece ends the reading as it is handed over, so only the first two stay in view.
    ASSERT_GE(highlighted.size(), 2u);
    EXPECT_EQ(highlighted[0], QStringLiteral("Hello there."));
    EXPECT_EQ(highlighted[1], QStringLiteral(" Привет."));
    EXPECT_EQ(w.editor()->textCursor().position(), 25);
    // Let the last piece play out, then look at what reached the sink.
    test::WaitFor(
        [&] {
            follow();
            // The mark follows the voice until a tick finds it silent.
            const ReadingSession& session = w.controllers().reading.session();
            return !session.speaking() && !session.followingVoice();
        },
        5000);
    // Each word is marked as it is heard, the last piece's too.
    EXPECT_EQ(marked, (std::vector<QString>{QStringLiteral("Hello"), QStringLiteral("there"),
                                            QStringLiteral("Привет"), QStringLiteral("Bye")}));
    EXPECT_EQ(w.editor()->markedWord(), std::pair(0L, 0L));
    // The recorder lags behind the sink: wait until it has caught up with the reading.
    const auto heard = test::RecordingUntilQuiet(before, std::chrono::milliseconds(300), true);
    ASSERT_TRUE(heard) << "the recording is silent";
    EXPECT_GT(test::LoudSeconds(*heard), 1.0) << "too little audio recorded";
}

// Start-up with voices of a given product name and a dictionary in the data folder.
class WindowDictionary : public testing::Test, protected test::WindowRig {
protected:
    WindowDictionary() { write("dict/readeren.dic", "Hello=Heh-low\r\n"); }
    MainWindow& start(const std::u16string& product) {
        modes = {{u"Russian", u"Nicolai", product}, {u"English", u"Carol", product}};
        MainWindow::Options o = options();
        o.dictionaryDir = QString::fromStdString(path("none"));
        return startWindow(std::move(o));
    }
    // Reads the editor to its end.
    void sayAll() {
        test::FindAccessible<QToolButton>(window.get(), "Say text/Pause")->click();
        test::WaitFor([this] { return !controllers().reading.session().running(); }, 3000);
    }
};

TEST_F(WindowDictionary, aBuiltInVoiceLoadsItsDictionaryAndReadsTheReplacement) {
    MainWindow& w = start(u"DIGALO Speech");
    EXPECT_EQ(w.statusText(StatusPanel::Activity), QStringLiteral("Loading data ..."));
    // Both languages load; " Ready " comes once both are done.
    test::WaitFor([&] { return w.statusText(StatusPanel::Activity) == QStringLiteral(" Ready "); },
                  5000);
    EXPECT_EQ(w.statusText(StatusPanel::Activity), QStringLiteral(" Ready "));
    EXPECT_FALSE(w.controllers().reading.dictionaries()[Language::English].empty());
    w.editor()->setPlainText(QStringLiteral("Hello, world."));
    sayAll();
    ASSERT_FALSE(enVoice->spoken.empty());
    EXPECT_EQ(enVoice->spoken[0], u"Heh-low world.");  // sentence mode joins the words
}

TEST_F(WindowDictionary, anotherEnginesVoiceLoadsNone) {
    MainWindow& w = start(u"Other Speech");
    EXPECT_EQ(w.statusText(StatusPanel::Activity), QString());
    QApplication::processEvents();
    w.editor()->setPlainText(QStringLiteral("Hello, world."));
    sayAll();
    ASSERT_FALSE(enVoice->spoken.empty());
    EXPECT_EQ(enVoice->spoken[0], u"Hello, world.");
}

class WindowPauseAfter : public WindowSay, public testing::WithParamInterface<int> {};

TEST_P(WindowPauseAfter, leavesASilenceAsLongAsThePieceTimesTheSetting) {
    if (!test::Monitor()) GTEST_SKIP() << "no test sound server (run through test.sh)";
    const int factor = GetParam();
    const test::SinkLock sink;
    MainWindow& w = start(true);
    auto* pause = w.findChild<QComboBox*>(QStringLiteral("pauseAfterBox"));
    ASSERT_TRUE(pause);
    pause->setCurrentIndex(factor);
    // Sentence mode, each piece twice: the pause follows every repetition.
    test::FindAccessible<QSpinBox>(&w, "Repeat English Word/Sentence")->setValue(2);
    w.editor()->setPlainText(QStringLiteral("Good morning to you. Thank you very much."));
    const std::size_t before = test::MonitorSize();
    say()->click();
    ASSERT_TRUE(test::WaitFor([&] { return !say()->isChecked(); }, 60000));
    // The recorder lags behind the sink, and a pause is quiet too: wait for every piece.
    // Pieces are parted by more than half a second; the words within one by less.
    std::vector<std::pair<std::size_t, std::size_t>> pieces;
    std::vector<std::int16_t> heard;
    test::WaitFor(
        [&] {
            heard = test::MonitorSamples(before, test::MonitorSize());
            pieces = test::SoundStretches(heard, test::kLoud, kSampleRate / 2);
            return pieces.size() >= 4 && heard.size() - pieces.back().second > kSampleRate;
        },
        30000);
    ASSERT_EQ(pieces.size(), 4u);  // two repetitions of each sentence
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        // A busy machine may starve the sound device for a moment: a gap longer than the
        // engine leaves between words is no sound of the piece.
        const std::vector<std::int16_t> piece(heard.begin() + long(pieces[i].first),
                                              heard.begin() + long(pieces[i].second) + 1);
        double sound = 0;
        for (auto [from, to] : test::SoundStretches(piece, test::kLoud, kSampleRate / 7))
            sound += double(to - from) / kSampleRate;
        const double silence = double(pieces[i + 1].first - pieces[i].second) / kSampleRate;
        EXPECT_NEAR(silence / sound, factor, 0.1 * factor)
            << "piece " << i << ": " << sound << " s of sound, " << silence << " s of silence";
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, WindowPauseAfter, testing::Values(1, 2));

}  // namespace
}  // namespace vernalo
