// The main window on the offscreen platform, with a temporary data folder and scripted voices.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
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
#include <filesystem>
#include <fstream>

#include "app/pages/optionspage.h"
#include "app/window/texteditor.h"
#include "support/accessible.h"
#include "support/opendocument.h"
#include "support/windowrig.h"
#include "text/fileio.h"

namespace vernalo {
namespace {

using test::FakeMode;

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

class Window : public testing::Test, protected test::WindowRig {
protected:
    // The built-in engine's family: the dictionaries load.
    Window() {
        modes = {{u"Russian voice", u"Nicolai", u"Built-in DIGALO"},
                 {u"English voice", u"Carol", u"Built-in DIGALO"}};
    }
    MainWindow& start() {
        MainWindow& w = startWindow();
        w.showStartupProblems();
        return w;
    }
};

TEST_F(Window, firstStartIsQuietWithDefaultsAndAnEmptyEditor) {
    MainWindow& w = start();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(w.editor()->document()->isEmpty());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vernalo 2.1"));
    EXPECT_EQ(w.statusText(StatusPanel::Column), QStringLiteral("Column: 0"));
    EXPECT_EQ(w.statusText(StatusPanel::Line), QStringLiteral("String: 0"));
    EXPECT_EQ(w.statusText(StatusPanel::LineCount), QStringLiteral("Strings: 0"));
    // A new user reads in the desktop's own font.
    const QFont desktop = QApplication::font();
    EXPECT_EQ(test::FindAccessible<QLineEdit>(window.get(), "Font Name")->text(), desktop.family());
    EXPECT_EQ(test::FindAccessible<QLineEdit>(window.get(), "Font Size")->text(),
              QString::number(desktop.pointSize()));
    EXPECT_EQ(w.editor()->document()->defaultFont().family(), desktop.family());
    EXPECT_EQ(w.controllers().reading.readingPosition(), 0);
    EXPECT_FALSE(w.controllers().persistence.textChanged());
}

// The desktop's font a new user got is written out; a font the file names is kept.
TEST_F(Window, theEditorFontIsWrittenAndReadBack) {
    start();
    close();
    const QFont desktop = QApplication::font();
    EXPECT_NE(read("data/reader.ini")
                  .find("FontName=" + desktop.family().toStdString() +
                        "\r\nFontSize=" + std::to_string(desktop.pointSize()) + "\r\n"),
              std::string::npos);
    write("data/reader.ini", "[Interface]\r\nFontName=DejaVu Serif\r\nFontSize=13\r\n");
    MainWindow& w = start();
    EXPECT_EQ(test::FindAccessible<QLineEdit>(&w, "Font Name")->text(),
              QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(test::FindAccessible<QLineEdit>(&w, "Font Size")->text(), QStringLiteral("13"));
    EXPECT_EQ(w.editor()->document()->defaultFont().pointSize(), 13);
}

TEST_F(Window, aBadSettingTakesItsDefaultAndIsReportedOnce) {
    write("data/reader.ini", "[Interface]\r\nFontSize=huge\r\n[Text]\r\nPosY=4\r\nPosition=x\r\n");
    MainWindow& w = start();
    ASSERT_EQ(messages.size(), 1u);
    // The first line as ever, then each bad setting and where it is.
    const QString ini = QString::fromStdString(dir + "/data/reader.ini");
    EXPECT_EQ(messages[0], QStringLiteral("You have very very big problems! :)\n\n"
                                          "Bad value for FontSize in %1\n"
                                          "Bad value for Position in %1")
                               .arg(ini));
    EXPECT_EQ(test::FindAccessible<QLineEdit>(window.get(), "Font Size")->text(),
              QString::number(QApplication::font().pointSize()));
    EXPECT_EQ(w.statusText(StatusPanel::Line),
              QStringLiteral("String: 4"));  // the steps after it still ran
    EXPECT_EQ(w.controllers().reading.readingPosition(), 0);
}

TEST_F(Window, typedTextComesBackNextTimeWithTheCaretWhereItWasLeft) {
    MainWindow& w = start();
    w.editor()->setFocus();
    Type(w.editor(), QStringLiteral("Hello world\nПривет"));
    EXPECT_TRUE(w.controllers().persistence.textChanged());
    w.editor()->select(8, 0);
    w.controllers().persistence.markSettingsChanged();
    close();
    EXPECT_EQ(read("data/text.txt").rfind("{\\rtf", 0), 0u) << "the last text is kept as rich text";

    MainWindow& again = start();
    EXPECT_EQ(again.editor()->toPlainText(), QStringLiteral("Hello world\nПривет"));
    EXPECT_EQ(again.statusText(StatusPanel::LineCount), QStringLiteral("Strings: 2"));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&again, &activate);
    EXPECT_EQ(again.editor()->textCursor().position(), 8);
    EXPECT_TRUE(messages.empty());
}

// The caret must not creep back a character at every start: restart after restart it comes
// back where it was left.
TEST_F(Window, theCaretStaysPutOverRestarts) {
    MainWindow& first = start();
    first.editor()->setPlainText(QStringLiteral("One two three.\nFour five six."));
    first.controllers().persistence.markTextChanged();
    const int places[] = {5, 17, 0};
    int left = 9;
    first.editor()->select(left, 0);
    for (int place : places) {
        window->controllers().persistence.markSettingsChanged();
        close();
        MainWindow& again = start();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&again, &activate);
        EXPECT_EQ(again.editor()->textCursor().position(), left);
        left = place;
        again.editor()->select(left, 0);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(Window, wordMarkingOptionIsOnAtFirstAndKeptBetweenRuns) {
    start();
    auto box = [this] { return window->findChild<QCheckBox*>(QStringLiteral("markWordBox")); };
    ASSERT_NE(box(), nullptr);
    EXPECT_EQ(box()->text(), QStringLiteral("Mark the spoken word"));
    EXPECT_TRUE(box()->isChecked());
    box()->setChecked(false);
    close();
    EXPECT_NE(read("data/reader.ini").find("MarkWord=0"), std::string::npos);
    start();
    EXPECT_FALSE(box()->isChecked());
}

// Activation puts the caret at the reading when the user comes back from another program, and
// leaves the caret and the selection alone when one of the window's own dialogs closes.
TEST_F(Window, activationMovesTheCaretOnlyWhenComingBackFromAnotherProgram) {
    MainWindow& w = start();
    w.editor()->setPlainText(QString(500, u'x'));
    w.controllers().reading.setReadingPosition(7);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);  // the window first shown
    ASSERT_EQ(w.editor()->textCursor().position(), 7);
    const struct {
        const char* before;
        bool otherProgram;
        int start, end;
    } cases[] = {
        {"own dialog closed", false, 400, 410},
        {"another program left", true, 7, 7},
    };
    for (const auto& c : cases) {
        w.editor()->select(400, 10);
        if (c.otherProgram) emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        QApplication::sendEvent(&w, &activate);
        EXPECT_EQ(w.editor()->textCursor().selectionStart(), c.start) << c.before;
        EXPECT_EQ(w.editor()->textCursor().selectionEnd(), c.end) << c.before;
    }
}

// The stored reading position may fall just after a character that takes two units (the
// text changed, or the caret stood after an emoji); activation must not put the caret between
// its halves, where typing would break the character apart.
class CaretAtActivation : public Window, public testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(CaretAtActivation, neverLandsInsideACharacterOutsideTheBasicPlane) {
    const auto [position, caret] = GetParam();
    MainWindow& w = start();
    // a, U+1F600 (two units), b
    w.editor()->setPlainText(
        QString::fromUtf8("a\xF0\x9F\x98\x80"
                          "b"));
    w.controllers().reading.setReadingPosition(position);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    EXPECT_EQ(w.editor()->textCursor().position(), caret);
    Type(w.editor(), QStringLiteral("X"));
    const QString text = w.editor()->toPlainText();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool broken =
            (text[i].isHighSurrogate() &&
             (i + 1 == text.size() || !text[i + 1].isLowSurrogate())) ||
            (text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate()));
        EXPECT_FALSE(broken) << "half a character at " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Window, CaretAtActivation,
                         testing::Values(std::pair{1, 1}, std::pair{2, 1}, std::pair{3, 3},
                                         std::pair{4, 4}));

TEST_F(Window, clearThenCloseWritesAnEmptyDocument) {
    write("data/text.txt", "some old text\r\n");
    MainWindow& w = start();
    EXPECT_EQ(w.statusText(StatusPanel::LineCount), QStringLiteral("Strings: 1"));
    w.controllers().documents.clearText();
    EXPECT_EQ(w.statusText(StatusPanel::LineCount), QStringLiteral("Strings: 0"));
    close();
    EXPECT_EQ(read("data/text.txt").rfind("{\\rtf", 0), 0u);
    MainWindow& again = start();
    EXPECT_TRUE(again.editor()->document()->isEmpty());
}

TEST_F(Window, closeThatCannotWriteNamesTheFailingFileAndKeepsTheOldOnes) {
    write("data/reader.ini", "[Speech]\r\nRUSSIAN=Nicolai\r\n");
    write("data/text.txt", "old text");
    MainWindow& w = start();
    w.controllers().documents.clearText();
    w.controllers().persistence.markSettingsChanged();
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
    close();
    if (limited) setrlimit(RLIMIT_FSIZE, &saved);
    chmod((dir + "/data").c_str(), 0755);
    ASSERT_EQ(messages.size(), 2u)
        << (messages.empty() ? std::string() : messages[0].toStdString()) << read("data/text.txt");
    const QString prefix =
        QStringLiteral("With searching comes loss And the presence of absence: ");
    // Each names its file, then what the system said.
    EXPECT_TRUE(messages[0].startsWith(prefix + QString::fromStdString(dir + "/data/reader.ini") +
                                       QStringLiteral("\n\n")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[1].startsWith(prefix + QString::fromStdString(dir + "/data/text.txt") +
                                       QStringLiteral("\n\n")))
        << messages[1].toStdString();
    EXPECT_EQ(read("data/reader.ini"), "[Speech]\r\nRUSSIAN=Nicolai\r\n");
    EXPECT_EQ(read("data/text.txt"), "old text");
}

// As a screen reader finds them: by accessible name, each with its hint (and a tool bar
// command's shortcut after it).
TEST_F(Window, everyControlIsFoundByItsAccessibleNameWithItsHint) {
    start();
    const std::pair<const char*, const char*> controls[] = {
        {"Clear", "Clear"},
        {"Save text", "Save text (Ctrl+S)"},
        {"Export audio", "Export audio (Ctrl+E)"},
        {"Load text for reading", "Load text for reading (Ctrl+O)"},
        {"Paste text from clipboard", "Paste text from clipboard"},
        {"Transform  HTML to text", "Transform  HTML to text"},
        {"Find in text", "Find in text (Ctrl+F)"},
        {"Say text/Pause", "Say text/Pause (F5)"},
        {"Repeat text", "Repeat text"},
        {"Speech settings", "Speech settings"},
        {"Font settings", "Font settings"},
        {"Exit", "Exit (Ctrl+Q)"},
        {"Repeat Russian Word/Sentence", "Repeat Russian Word/Sentence"},
        {"Repeat English Word/Sentence", "Repeat English Word/Sentence"},
        {"Dos2Win", "Transformation  DOS to WIN"},
        {"Speech", "Settings for SpeechEngines"},
        {"Repeating a words", ""},
        {"Repeaing a sentences", ""},
        {"Font Name", ""},
        {"Text", ""},
        {"Document file", ""},
        {"Progress", ""},
        {"Choose font", ""},
        {"Choose Russian voice", "Choose Russian voice"},
        {"Speed of the English speech", "Speed of the English speech"},
    };
    for (auto [name, hint] : controls) {
        QWidget* w = test::FindAccessible(window.get(), name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_EQ(w->toolTip(), QString::fromUtf8(hint)) << name;
    }
    EXPECT_EQ(test::FindAccessible<QGroupBox>(window.get(), "Font")->toolTip(),
              QStringLiteral("Font "));
}

TEST_F(Window, settingsPageButtonsWorkAsOneGroupThatMayBeAllUp) {
    MainWindow& w = start();
    auto* speech = test::FindAccessible<QToolButton>(window.get(), "Speech settings");
    auto* options = test::FindAccessible<QToolButton>(window.get(), "Options");
    EXPECT_TRUE(speech->isChecked());
    EXPECT_EQ(w.settingsPage(), SettingsPage::Speech);
    options->click();
    EXPECT_EQ(w.settingsPage(), SettingsPage::Options);
    EXPECT_TRUE(options->isChecked());
    EXPECT_FALSE(speech->isChecked());
    options->click();  // the lowered one comes up; the page stays
    EXPECT_FALSE(options->isChecked());
    EXPECT_EQ(w.settingsPage(), SettingsPage::Options);
    test::FindAccessible<QToolButton>(window.get(), "Font settings")->click();
    EXPECT_EQ(w.settingsPage(), SettingsPage::Font);
}

TEST_F(Window, modeBoxesSwitchByMouseButNotByKeyboard) {
    MainWindow& w = start();
    auto* word = test::FindAccessible<QCheckBox>(window.get(), "Repeating a words");
    auto* sent = test::FindAccessible<QCheckBox>(window.get(), "Repeaing a sentences");
    w.show();
    test::FindAccessible<QToolButton>(window.get(), "Options")->click();
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
    EXPECT_TRUE(w.controllers().reading.view().options().sentenceMode);
}

TEST_F(Window, repeatCountsStayBetweenOneAndTenAndTakeNoTyping) {
    start();
    auto* ru = test::FindAccessible<QSpinBox>(window.get(), "Repeat Russian Word/Sentence");
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
    write("data/text.txt", "one\r\ntwo\r\n");
    MainWindow& w = start();
    EXPECT_EQ(w.statusText(StatusPanel::LineCount), QStringLiteral("Strings: 2"));
    EXPECT_EQ(w.editor()->lineCount(), 2);
}

// Every tool bar command is also a menu item, the same action, with the desktop's keys where
// a command has them; commands without a button are menu items of their own.
TEST_F(Window, menusShareTheToolBarsActionsAndCarryTheShortcuts) {
    start();
    const auto item = [this](const QString& menu, const QString& text) -> QAction* {
        for (QAction* m : window->menuBar()->actions())
            if (m->text().remove(u'&') == menu)
                for (QAction* a : m->menu()->actions())
                    if (a->text().remove(u'&') == text) return a;
        return nullptr;
    };
    const struct {
        const char* menu;
        const char* item;
        const char* button;  // the tool bar button showing the same action, if any
        QKeySequence keys;
    } cases[] = {
        {"File", "Open…", "Load text for reading", QKeySequence::Open},
        {"File", "Save as RTF…", "Save text", QKeySequence::Save},
        {"File", "Export audio…", "Export audio", QKeySequence(QStringLiteral("Ctrl+E"))},
        {"File", "Exit", "Exit", QKeySequence(QStringLiteral("Ctrl+Q"))},
        {"Edit", "Undo", nullptr, QKeySequence::Undo},
        {"Edit", "Redo", nullptr, QKeySequence::Redo},
        {"Edit", "Paste text from clipboard", "Paste text from clipboard", {}},
        {"Edit", "Select all", nullptr, QKeySequence::SelectAll},
        {"Edit", "Find…", "Find in text", QKeySequence::Find},
        {"Edit", "Find next", nullptr, QKeySequence::FindNext},
        {"Edit", "Clear", "Clear", {}},
        {"Edit", "Transform HTML to text", "Transform  HTML to text", {}},
        {"Edit", "DOS to WIN", nullptr, {}},
        {"Reading", "Say/Pause", "Say text/Pause", QKeySequence(Qt::Key_F5)},
        {"Reading", "Repeat text", "Repeat text", {}},
        {"Reading", "Word mode", nullptr, {}},
        {"Reading", "Previous piece", nullptr, QKeySequence(QStringLiteral("Alt+Left"))},
        {"Reading", "Next piece", nullptr, QKeySequence(QStringLiteral("Alt+Right"))},
        {"Reading", "Read the piece again", nullptr, QKeySequence(QStringLiteral("Alt+Down"))},
        {"View", "Speech settings", "Speech settings", {}},
        {"View", "Options", "Options", {}},
        {"View", "Font settings", "Font settings", {}},
        {"View", "Browser page", nullptr, {}},
        {"View", "Contents", nullptr, QKeySequence(Qt::Key_F9)},
        {"Help", "Keyboard shortcuts", nullptr, QKeySequence::HelpContents},
        {"Help", "About Vernalo", nullptr, {}},
    };
    for (const auto& c : cases) {
        QAction* a = item(QString::fromUtf8(c.menu), QString::fromUtf8(c.item));
        ASSERT_NE(a, nullptr) << c.menu << " > " << c.item;
        EXPECT_EQ(a->shortcut(), c.keys) << c.item;
        // Help > Keyboard shortcuts lists the window's actions with keys.
        if (!c.keys.isEmpty()) {
            EXPECT_TRUE(window->actions().contains(a)) << c.item;
        }
        if (c.button) {
            EXPECT_EQ(test::FindAccessible<QToolButton>(window.get(), c.button)->defaultAction(), a)
                << c.item;
        }
    }
    // The sentence and word items switch the mode as a click on their box does.
    item(QStringLiteral("Reading"), QStringLiteral("Word mode"))->trigger();
    EXPECT_FALSE(window->controllers().reading.view().options().sentenceMode);
    EXPECT_TRUE(test::FindAccessible<QCheckBox>(window.get(), "Repeating a words")->isChecked());
}

// F5 reads and pauses without taking the keyboard from the editor: typing goes on there.
TEST_F(Window, aShortcutLeavesTheFocusInTheEditor) {
    MainWindow& w = start();
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.editor()->setFocus();
    auto* say = test::FindAccessible<QToolButton>(&w, "Say text/Pause");
    w.editor()->setPlainText(QStringLiteral("Один. Two."));
    QTest::keyClick(w.editor(), Qt::Key_F5);
    EXPECT_TRUE(test::WaitFor([&] { return !say->isChecked(); }));  // read to the end
    EXPECT_EQ(QApplication::focusWidget(), w.editor());
    QTest::keyClicks(w.editor(), QStringLiteral("x"));
    EXPECT_TRUE(w.editor()->toPlainText().contains(u'x'));
}

// A screen reader's "Toggle" and "Press" on a button or box do what a click does.
TEST_F(Window, accessibleActionsDoWhatAClickDoes) {
    MainWindow& w = start();
    w.show();
    const auto act = [&](const char* name, const QString& action) {
        QWidget* target = test::FindAccessible(&w, name);
        QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(target);
        ASSERT_TRUE(ai && ai->actionInterface()) << name;
        EXPECT_TRUE(ai->actionInterface()->actionNames().contains(action)) << name;
        ai->actionInterface()->doAction(action);
        QApplication::processEvents();
    };
    const QString toggle = QAccessibleActionInterface::toggleAction();
    act("Options", toggle);
    EXPECT_EQ(w.settingsPage(), SettingsPage::Options);
    act("Repeating a words", toggle);  // paired as by the mouse: word mode, one box checked
    EXPECT_FALSE(test::FindAccessible<QCheckBox>(&w, "Repeaing a sentences")->isChecked());
    act("Font settings", QAccessibleActionInterface::pressAction());
    EXPECT_EQ(w.settingsPage(), SettingsPage::Font);
    act("Repeat text", toggle);
    EXPECT_TRUE(w.controllers().reading.view().options().repeatText);
    act("Repeat text", toggle);
    w.editor()->setPlainText(QStringLiteral("Один два. Three four."));
    auto* say = test::FindAccessible<QToolButton>(&w, "Say text/Pause");
    act("Say text/Pause", toggle);
    EXPECT_TRUE(test::WaitFor([&] { return !say->isChecked(); }));
    EXPECT_EQ(w.editor()->textCursor().position(), w.editor()->toPlainText().size());
}

TEST_F(Window, recentFilesComeBackAfterARestartNewestFirst) {
    start();
    std::vector<QString> paths;
    for (int i = 0; i < 12; ++i) {
        const std::string path = dir + "/file" + std::to_string(i) + ".txt";
        std::ofstream(path) << "text " << i;
        paths.push_back(QString::fromStdString(path));
        ASSERT_TRUE(test::OpenAndWait(*window, path));
    }
    ASSERT_TRUE(test::OpenAndWait(*window, paths[5].toStdString()));  // again: to the top
    close();
    start();
    QMenu* recent = nullptr;
    for (QMenu* m : window->menuBar()->findChildren<QMenu*>())
        if (m->title().remove(u'&') == QStringLiteral("Open Recent")) recent = m;
    ASSERT_NE(recent, nullptr);
    const QList<QAction*> items = recent->actions();
    ASSERT_EQ(items.size(), 12);  // ten files, a separator and Clear list
    EXPECT_TRUE(items[0]->text().endsWith(paths[5]));
    EXPECT_TRUE(items[1]->text().endsWith(paths[11]));
    EXPECT_TRUE(items[9]->text().endsWith(paths[2]));  // 5, 11, 10 ... 6, 4, 3, 2
    items[2]->trigger();
    ASSERT_TRUE(test::WaitFor([this] { return !window->controllers().documents.opening(); }));
    EXPECT_EQ(window->editor()->toPlainText(), QStringLiteral("text 10"));
    // Clear list empties the menu, and it stays empty after a restart.
    QAction* clear = recent->actions().last();  // the items were made anew by the open
    ASSERT_EQ(clear->text().remove(u'&'), QStringLiteral("Clear list"));
    clear->trigger();
    EXPECT_TRUE(test::WaitFor([&] { return !recent->isEnabled(); }));
    close();
    start();
    EXPECT_TRUE(window->controllers().persistence.recentFiles().empty());
}

// A click toggles its box first; the pairing then switches the mode and keeps one box checked.
struct BoxCase {
    const char* name;
    ModeBoxes before;  // after the click's own toggle
    bool wordBox;      // otherwise the sentence box was clicked
    ModeBoxes after;
};

class ModeBoxClick : public testing::TestWithParam<BoxCase> {};

TEST_P(ModeBoxClick, switchesTheModeAndKeepsOneBoxChecked) {
    const BoxCase& c = GetParam();
    const ModeBoxes b = c.wordBox ? AfterWordBoxClick(c.before) : AfterSentenceBoxClick(c.before);
    EXPECT_EQ(b.sentence, c.after.sentence);
    EXPECT_EQ(b.word, c.after.word);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ModeBoxClick,
    testing::Values(BoxCase{"wordBoxInSentenceMode", {true, true}, true, {false, true}},
                    BoxCase{"wordBoxInWordMode", {false, false}, true, {true, false}},
                    BoxCase{"sentenceBoxInSentenceMode", {false, false}, false, {false, true}},
                    BoxCase{"sentenceBoxInWordMode", {true, true}, false, {true, false}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vernalo
