// The main window on the offscreen platform, with a temporary data folder and scripted voices.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <csignal>
#include <cstdlib>
#include <fstream>

#include "app/tformreader.h"
#include "documents/fileio.h"
#include "speech/fakevoice.h"

namespace vernalo {
namespace {

using test::FakeMode;
using test::FakeVoice;

std::vector<FakeMode> Modes() {
    return {{u"Russian voice", u"Nicolai", u"Built-in DIGALO"},
            {u"English voice", u"Carol", u"Built-in DIGALO"}};
}

// Types as a keyboard would, any characters (QTest's own typing knows only ASCII).
void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c == u'\n' ? Qt::Key_Return : Qt::Key_unknown,
                        Qt::NoModifier, c == u'\n' ? QStringLiteral("\r") : QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, press.text());
        QApplication::sendEvent(w, &release);
    }
}

class Window : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vernalo_window_XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override {
        window.reset();
        std::system(("chmod -R u+w " + dir + "; rm -rf " + dir).c_str());
    }

    TFormReader& Start() {
        TFormReader::Options o;
        o.baseDir = dir;
        o.showMessages = false;
        o.voices = [] {
            return std::pair<std::unique_ptr<TDirectSS>, std::unique_ptr<TDirectSS>>(
                std::make_unique<FakeVoice>(Modes()), std::make_unique<FakeVoice>(Modes()));
        };
        window = std::make_unique<TFormReader>(o);
        window->onMessage = [this](const QString& m) { messages.push_back(m); };
        window->FormCreate();
        window->ShowStartupProblems();
        return *window;
    }
    void Close() {
        window->close();
        window.reset();
    }
    void Write(const std::string& rel, const std::string& bytes) {
        MakeDirs(dir + "/data");
        std::ofstream(dir + "/" + rel, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& rel) {
        std::string b;
        ReadWholeFile(dir + "/" + rel, b);
        return b;
    }
    template <typename T>
    T* Find(const char* name) {
        return window->findChild<T*>(QLatin1String(name));
    }

    std::string dir;
    std::unique_ptr<TFormReader> window;
    std::vector<QString> messages;
};

TEST_F(Window, firstStartIsQuietWithDefaultsAndAnEmptyEditor) {
    TFormReader& w = Start();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(w.memoText()->document()->isEmpty());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vernalo 2.1"));
    EXPECT_EQ(w.panelText(0), QStringLiteral("Column: 0"));
    EXPECT_EQ(w.panelText(1), QStringLiteral("String: 0"));
    EXPECT_EQ(w.panelText(2), QStringLiteral("Strings: 0"));
    EXPECT_EQ(Find<QLineEdit>("EdFontName")->text(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(Find<QLineEdit>("EdFontSize")->text(), QStringLiteral("8"));
    EXPECT_EQ(w.segmenter().ReadPos, 1);
    EXPECT_FALSE(w.TextChanged);
}

TEST_F(Window, aBadSettingTakesItsDefaultAndIsReportedOnce) {
    Write("data/reader.ini", "[Interface]\r\nFontSize=huge\r\n[Text]\r\nPosY=4\r\nPosition=x\r\n");
    TFormReader& w = Start();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("You have very very big problems! :)"));
    EXPECT_EQ(Find<QLineEdit>("EdFontSize")->text(), QStringLiteral("8"));
    EXPECT_EQ(w.panelText(1), QStringLiteral("String: 4"));  // the steps after it still ran
    EXPECT_EQ(w.segmenter().ReadPos, 1);
}

TEST_F(Window, typedTextComesBackNextTimeWithTheCaretOneBeforeItsPlace) {
    TFormReader& w = Start();
    w.memoText()->setFocus();
    Type(w.memoText(), QStringLiteral("Hello world\nПривет"));
    EXPECT_TRUE(w.TextChanged);
    w.SetSelection(8, 0);
    w.SettingsChanged = true;
    Close();
    EXPECT_EQ(Read("data/text.txt").rfind("{\\rtf", 0), 0u) << "the last text is kept as rich text";

    TFormReader& again = Start();
    EXPECT_EQ(again.memoText()->toPlainText(), QStringLiteral("Hello world\nПривет"));
    EXPECT_EQ(again.panelText(2), QStringLiteral("Strings: 2"));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&again, &activate);
    EXPECT_EQ(again.memoText()->textCursor().position(), 7);
    EXPECT_TRUE(messages.empty());
}

// The stored reading position may fall just after a character that takes two units (the
// text changed, or the caret stood after an emoji); activation must not put the caret between
// its halves, where typing would break the character apart.
class CaretAtActivation : public Window, public testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(CaretAtActivation, neverLandsInsideACharacterOutsideTheBasicPlane) {
    const auto [readPos, caret] = GetParam();
    TFormReader& w = Start();
    // a, U+1F600 (two units), b
    w.memoText()->setPlainText(
        QString::fromUtf8("a\xF0\x9F\x98\x80"
                          "b"));
    w.segmenter().ReadPos = readPos;
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    EXPECT_EQ(w.memoText()->textCursor().position(), caret);
    Type(w.memoText(), QStringLiteral("X"));
    const QString text = w.memoText()->toPlainText();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool broken =
            (text[i].isHighSurrogate() &&
             (i + 1 == text.size() || !text[i + 1].isLowSurrogate())) ||
            (text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate()));
        EXPECT_FALSE(broken) << "half a character at " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Window, CaretAtActivation,
                         testing::Values(std::pair{2, 1}, std::pair{3, 1}, std::pair{4, 3},
                                         std::pair{5, 4}));

TEST_F(Window, clearThenCloseWritesAnEmptyDocument) {
    Write("data/text.txt", "some old text\r\n");
    TFormReader& w = Start();
    EXPECT_EQ(w.panelText(2), QStringLiteral("Strings: 1"));
    w.SBNewClick();
    EXPECT_EQ(w.panelText(2), QStringLiteral("Strings: 0"));
    Close();
    EXPECT_EQ(Read("data/text.txt").rfind("{\\rtf", 0), 0u);
    TFormReader& again = Start();
    EXPECT_TRUE(again.memoText()->document()->isEmpty());
}

TEST_F(Window, closeThatCannotWriteNamesTheFailingFileAndKeepsTheOldOnes) {
    Write("data/reader.ini", "[Speech]\r\nRUSSIAN=Nicolai\r\n");
    Write("data/text.txt", "old text");
    TFormReader& w = Start();
    w.SBNewClick();
    w.SettingsChanged = true;
    chmod((dir + "/data").c_str(), 0555);
    rlimit saved{};
    bool limited = access((dir + "/data").c_str(), W_OK) == 0;  // root ignores modes
    if (limited) {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tiny = saved;
        tiny.rlim_cur = 4;
        setrlimit(RLIMIT_FSIZE, &tiny);
        std::signal(SIGXFSZ, SIG_IGN);
    }
    Close();
    if (limited) setrlimit(RLIMIT_FSIZE, &saved);
    chmod((dir + "/data").c_str(), 0755);
    ASSERT_EQ(messages.size(), 2u)
        << (messages.empty() ? std::string() : messages[0].toStdString()) << Read("data/text.txt");
    const QString prefix =
        QStringLiteral("With searching comes loss And the presence of absence: ");
    EXPECT_EQ(messages[0], prefix + QString::fromStdString(dir + "/data/reader.ini"));
    EXPECT_EQ(messages[1], prefix + QString::fromStdString(dir + "/data/text.txt"));
    EXPECT_EQ(Read("data/reader.ini"), "[Speech]\r\nRUSSIAN=Nicolai\r\n");
    EXPECT_EQ(Read("data/text.txt"), "old text");
}

TEST_F(Window, everyControlIsFoundByNameWithItsHint) {
    Start();
    const std::pair<const char*, const char*> controls[] = {
        {"SBNew", "Clear"},
        {"SBSave", "Save text "},
        {"SBOpen", "Load text for reading"},
        {"SBClip", "Paste text from clipboard"},
        {"SBHTML2TXT", "Transform  HTML to text"},
        {"SpeedButton5", "Find in text"},
        {"SBSay", "Say text/Pause"},
        {"SBRepeat", "Repeat text"},
        {"SpeedButton3", "Speech settings"},
        {"SpeedButton2", "Options"},
        {"SpeedButton1", "Font settings"},
        {"SBExit", "Exit"},
        {"EdRURep", "Repeat Russian Word/Sentence"},
        {"EdENRep", "Repeat English Word/Sentence"},
        {"Button2", "Transformation  DOS to WIN"},
        {"TSheetSpeech", "Settings for SpeechEngines"},
        {"TSheetOptions", "Options"},
        {"GroupBox3", "Font "},
    };
    for (auto [name, hint] : controls) {
        QWidget* w = Find<QWidget>(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_EQ(w->toolTip(), QString::fromUtf8(hint)) << name;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << name;
    }
    for (const char* name :
         {"ToolBar5",     "ToolBar2",   "TBarExit",      "PageControl1", "PagesDocument",
          "TabSheet1",    "TSheeHTML",  "STextFileName", "MemoText",     "StatusBar",
          "ProgressBar1", "ChBRepWord", "ChBRepSent",    "EdFontName",   "EdFontSize",
          "EdFontColor",  "Button1",    "GroupBox1",     "CBoxRU",       "CBoxEN",
          "TrBarRU",      "TrBarEN"})
        EXPECT_NE(Find<QWidget>(name), nullptr) << name;
}

TEST_F(Window, settingsPageButtonsWorkAsOneGroupThatMayBeAllUp) {
    Start();
    auto* pages = Find<QStackedWidget>("PageControl1");
    auto* speech = Find<QToolButton>("SpeedButton3");
    auto* options = Find<QToolButton>("SpeedButton2");
    EXPECT_TRUE(speech->isChecked());
    EXPECT_EQ(pages->currentIndex(), 0);
    options->click();
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_TRUE(options->isChecked());
    EXPECT_FALSE(speech->isChecked());
    options->click();  // the lowered one comes up; the page stays
    EXPECT_FALSE(options->isChecked());
    EXPECT_EQ(pages->currentIndex(), 1);
    Find<QToolButton>("SpeedButton1")->click();
    EXPECT_EQ(pages->currentIndex(), 2);
}

TEST_F(Window, modeBoxesSwitchByMouseButNotByKeyboard) {
    TFormReader& w = Start();
    auto* word = Find<QCheckBox>("ChBRepWord");
    auto* sent = Find<QCheckBox>("ChBRepSent");
    w.show();
    Find<QToolButton>("SpeedButton2")->click();
    QTest::mouseClick(word, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(word->isChecked());
    EXPECT_FALSE(sent->isChecked());
    QTest::mouseClick(word, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(word->isChecked());
    EXPECT_TRUE(sent->isChecked());
    word->setFocus();
    QTest::keyClick(word, Qt::Key_Space);
    QApplication::processEvents();
    EXPECT_TRUE(word->isChecked());
    EXPECT_TRUE(sent->isChecked());  // both checked: sentence mode rules
    EXPECT_TRUE(w.SentenceMode());
}

TEST_F(Window, repeatCountsStayBetweenOneAndTenAndTakeNoTyping) {
    Start();
    auto* ru = Find<QSpinBox>("EdRURep");
    EXPECT_EQ(ru->value(), 1);
    ru->stepDown();
    EXPECT_EQ(ru->value(), 1);
    for (int i = 0; i < 20; ++i)
        ru->stepUp();
    EXPECT_EQ(ru->value(), 10);  // no wrap
    ru->setFocus();
    QTest::keyClicks(ru, QStringLiteral("3"));
    EXPECT_EQ(ru->value(), 10);
}

TEST_F(Window, lineCountLeavesOutALastEmptyLine) {
    Write("data/text.txt", "one\r\ntwo\r\n");
    TFormReader& w = Start();
    EXPECT_EQ(w.panelText(2), QStringLiteral("Strings: 2"));
    EXPECT_EQ(w.editorLineCount(), 2);
}

}  // namespace
}  // namespace vernalo
