// Reading books in the window: each document comes back where its reading stopped, the steps
// by one piece from the Reading menu's keys, and the sleep timer.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/controllers/readingfollower.h"
#include "app/controllers/sleeptimer.h"
#include "app/pages/optionspage.h"
#include "app/pages/settingspages.h"
#include "support/holdingvoice.h"
#include "support/opendocument.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

using test::HoldingVoice;

// Forty sentences, in both languages.
std::string Book(const char* name) {
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += std::string(name) + " sentence " + std::to_string(i) + ". Предложение " +
                std::to_string(i) + ".\n";
    return text;
}

class WindowBooks : public testing::Test, protected test::WindowRig {
protected:
    void SetUp() override {
        HoldingVoice::holding = true;
        startHolding();
    }
    void startHolding() {
        MainWindow::Options o = options();
        o.voices = [this] {
            const std::vector<test::FakeMode> modes = {{u"Russian", u"Nicolai"},
                                                       {u"English", u"Carol"}};
            auto ru = std::make_unique<HoldingVoice>(modes);
            auto en = std::make_unique<HoldingVoice>(modes);
            ruVoice = ru.get();
            enVoice = en.get();
            return PerLanguage<std::unique_ptr<Voice>>{{std::move(ru), std::move(en)}};
        };
        w = &startWindow(std::move(o));
    }
    QAction* sayAction() const {
        return w->findChild<QToolButton*>(QStringLiteral("sayButton"))->defaultAction();
    }
    bool reading() const { return sayAction()->isChecked(); }
    long caret() const { return w->editor()->selectionStart(); }
    // Say, and the first piece shown.
    long say() {
        w->editor()->select(caret(), 0);
        sayAction()->trigger();
        EXPECT_TRUE(test::WaitFor([&] { return w->editor()->textCursor().hasSelection(); }));
        return caret();
    }
    QAction* menuItem(const QString& menu, const QString& text) const {
        for (QMenu* m : w->menuBar()->findChildren<QMenu*>())
            if (m->title().remove(u'&') == menu)
                for (QAction* a : m->actions())
                    if (a->text().remove(u'&') == text) return a;
        return nullptr;
    }

    MainWindow* w = nullptr;
};

// Book A read up to a place, book B opened, A opened again: A's reading goes on at its place,
// in this run and the next.
TEST_F(WindowBooks, eachDocumentResumesWhereItsReadingStopped) {
    const std::string a = write("books/a.txt", Book("Alpha"));
    const std::string b = write("books/b.txt", Book("Beta"));
    ASSERT_TRUE(test::OpenAndWait(*w, a));
    EXPECT_EQ(caret(), 0);
    say();
    for (int i = 0; i < 5; ++i)
        w->controllers().reading.stepPiece(ReadingController::PieceStep::Next);
    ASSERT_TRUE(reading());
    const long place = caret();
    ASSERT_GT(place, 0);
    ASSERT_TRUE(test::OpenAndWait(*w, b));
    EXPECT_FALSE(reading());
    EXPECT_EQ(caret(), 0);
    ASSERT_TRUE(test::OpenAndWait(*w, a));
    EXPECT_TRUE(test::WaitFor([&] { return caret() == place; })) << caret();
    EXPECT_EQ(say(), place);

    close();
    startHolding();
    ASSERT_TRUE(test::OpenAndWait(*w, a));
    EXPECT_TRUE(test::WaitFor([&] { return caret() == place; })) << caret();
    EXPECT_EQ(say(), place);
    EXPECT_TRUE(messages.empty());
}

// The caret of a document not being read is its place too; a file changed since it was
// left opens at its beginning.
TEST_F(WindowBooks, aChangedDocumentOpensAtItsBeginning) {
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        std::function<void(const std::string&)> change;
        bool atPlace;
    } cases[] = {
        {"unchanged", [](const std::string&) {}, true},
        {"longer",
         [this](const std::string& p) { write(p.substr(dir.size() + 1), Book("Gamma") + "."); },
         false},
        {"same size, newer",
         [](const std::string& p) {
             fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(5));
         },
         false},
    };
    const std::string b = write("books/b.txt", Book("Beta"));
    for (const auto& c : cases) {
        const std::string a = write(std::string("books/") + c.name + ".txt", Book("Gamma"));
        ASSERT_TRUE(test::OpenAndWait(*w, a)) << c.name;
        w->editor()->placeCaretForTyping(123);
        ASSERT_TRUE(test::OpenAndWait(*w, b)) << c.name;
        c.change(a);
        ASSERT_TRUE(test::OpenAndWait(*w, a)) << c.name;
        // The caret goes to the place once the text is laid out up to it.
        QApplication::processEvents();
        EXPECT_EQ(caret(), c.atPlace ? 123 : 0) << c.name;
    }
}

// Alt+Right, Alt+Left and Alt+Down move the reading by exactly one of its pieces, in word and
// in sentence mode, from the editor; Alt+Down in a voice box still opens its list.
TEST_F(WindowBooks, stepKeysMoveTheReadingByOnePiece) {
    w->show();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    for (bool sentences : {true, false}) {
        const char* mode = sentences ? "sentence" : "word";
        w->controllers().reading.stopForReplacedText();
        w->editor()->setPlainText(QStringLiteral("Один два. Three four. Пять шесть. Seven."));
        emit w->editor()->textEdited();
        w->controllers().reading.session().setPaused(false);
        auto* options = w->findChild<OptionsPage*>();
        options->chooseMode(sentences);
        // The pieces as the reading cuts them, read through once.
        std::vector<long> pieces;
        QSignalSpy shown(&w->controllers().reading, &ReadingController::pieceShown);
        HoldingVoice::holding = false;
        w->editor()->select(0, 0);
        sayAction()->trigger();
        ASSERT_TRUE(test::WaitFor([&] { return !reading(); })) << mode;
        for (const QList<QVariant>& s : shown)
            pieces.push_back(s.at(0).toLongLong());
        ASSERT_GE(pieces.size(), 4u) << mode;
        HoldingVoice::holding = true;

        w->editor()->setFocus();
        w->editor()->select(0, 0);
        EXPECT_EQ(say(), pieces[0]) << mode;
        const struct {
            Qt::Key key;
            std::size_t piece;
        } steps[] = {{Qt::Key_Right, 1}, {Qt::Key_Right, 2}, {Qt::Key_Left, 1},
                     {Qt::Key_Down, 1},  {Qt::Key_Right, 2}, {Qt::Key_Left, 1}};
        for (const auto& s : steps) {
            QTest::keyClick(w->editor(), s.key, Qt::AltModifier);
            ASSERT_TRUE(test::WaitFor([&] { return reading() && caret() == pieces[s.piece]; }))
                << mode << " key " << s.key << " piece " << s.piece << " caret " << caret();
        }
        EXPECT_EQ(QApplication::focusWidget(), w->editor()) << mode;
    }
    auto* box = w->findChild<QComboBox*>(QStringLiteral("russianVoiceBox"));
    ASSERT_NE(box, nullptr);
    const long before = caret();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(test::WaitFor([&] { return box->view()->isVisible(); }));
    box->hidePopup();
    EXPECT_EQ(caret(), before);
}

// The sleep timer counts down in the status bar and pauses the reading as Pause does: Say
// goes on at the piece it stopped on. At the end of a chapter, likewise.
TEST_F(WindowBooks, sleepTimerPausesTheReading) {
    std::int64_t now = 1'000'000;
    auto* timer = w->findChild<SleepTimer*>(QStringLiteral("sleepTimer"));
    ASSERT_NE(timer, nullptr);
    timer->setClock([&now] { return now; });
    ASSERT_TRUE(test::OpenAndWait(*w, write("books/a.txt", Book("Alpha"))));
    const auto panel = [this] { return w->statusText(StatusPanel::SleepTimer); };

    // Without headings there is no chapter's end to stop at.
    QAction* chapterEnd =
        menuItem(QStringLiteral("Stop after"), QStringLiteral("At the end of the chapter"));
    ASSERT_NE(chapterEnd, nullptr);
    auto* stopAfter = qobject_cast<QMenu*>(chapterEnd->parent());
    ASSERT_NE(stopAfter, nullptr);
    emit stopAfter->aboutToShow();
    EXPECT_FALSE(chapterEnd->isEnabled());

    menuItem(QStringLiteral("Stop after"), QStringLiteral("15 minutes"))->trigger();
    EXPECT_EQ(panel(), QStringLiteral("15:00"));
    const long first = say();
    now += 14 * 60'000 + 1;
    EXPECT_TRUE(test::WaitFor([&] { return panel() == QStringLiteral("1:00"); }))
        << panel().toStdString();
    EXPECT_TRUE(reading());
    now += 60'000;
    ASSERT_TRUE(test::WaitFor([&] { return !reading(); }));
    EXPECT_EQ(panel(), QString());
    EXPECT_EQ(caret(), first);
    EXPECT_EQ(say(), first);  // resumed at the piece it paused on

    // The chapters' starts, as the headings give them: the next one is at the fifth line.
    const long fifthLine = w->editor()->document()->findBlockByNumber(4).position();
    timer->setNextChapter([fifthLine](long at) { return at < fifthLine ? fifthLine : 100'000L; });
    emit stopAfter->aboutToShow();
    ASSERT_TRUE(chapterEnd->isEnabled());
    chapterEnd->trigger();
    EXPECT_EQ(panel(), QStringLiteral("Chapter"));
    HoldingVoice::holding = false;
    ASSERT_TRUE(test::WaitFor([&] { return !reading(); }));
    // On the first piece that reaches into the next chapter (it may begin before the line).
    const QTextCursor piece = w->editor()->textCursor();
    EXPECT_LE(piece.selectionStart(), fifthLine);
    EXPECT_GT(piece.selectionEnd(), fifthLine);
    EXPECT_EQ(panel(), QString());
}

// The piece being read stays in view, turned to about a third from the top when it leaves
// it; a scroll by hand keeps the view where the user put it for a few seconds.
TEST_F(WindowBooks, theViewFollowsTheReadingUnlessScrolledByHand) {
    std::int64_t now = 1'000'000;
    auto* follower = w->findChild<ReadingFollower*>(QStringLiteral("readingFollower"));
    ASSERT_NE(follower, nullptr);
    follower->setClock([&now] { return now; });
    w->resize(500, 400);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "Line " + std::to_string(i) + " is here.\n";
    ASSERT_TRUE(test::OpenAndWait(*w, write("books/long.txt", text)));
    TextEditor* editor = w->editor();
    QScrollBar* bar = editor->verticalScrollBar();
    const int height = editor->viewport()->height();
    const auto pieceTop = [&] {
        QTextCursor start = editor->textCursor();
        start.setPosition(start.selectionStart());
        return editor->cursorRect(start).top();
    };
    // The English voice finishes its piece; the reading goes on to the next.
    const auto next = [&] {
        const long before = caret();
        enVoice->audioReset();
        return test::WaitFor([&] { return caret() > before; });
    };
    say();
    int turns = 0;
    for (int i = 0; i < 60; ++i) {
        const int top = bar->value();
        ASSERT_TRUE(next());
        ASSERT_GE(pieceTop(), 0) << i;
        ASSERT_LT(pieceTop(), height) << i;
        if (bar->value() != top) {
            ++turns;
            EXPECT_NEAR(pieceTop(), height / 3, height / 10) << i;
        }
    }
    EXPECT_GE(turns, 1);
    EXPECT_LE(turns, 30);  // a page at a time, not a line for every piece

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(next());
    EXPECT_EQ(bar->value(), 0);
    now += ReadingFollower::kHandScrollHoldMs;
    ASSERT_TRUE(next());
    EXPECT_NEAR(pieceTop(), height / 3, height / 10);
}

}  // namespace
}  // namespace vernalo
