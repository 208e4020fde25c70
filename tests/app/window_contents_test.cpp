// The Contents panel: the headings of each kind of document listed in order, a choice moving
// the caret (or the reading) there, the chapter being read marked, and the panel kept shown.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QStackedWidget>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>

#include "app/window/contentspanel.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

// A voice still speaking its piece until told to stop: the reading stays where it is.
class HoldingVoice : public test::FakeVoice {
public:
    using FakeVoice::FakeVoice;
    void speak(const std::u16string& text) override {
        FakeVoice::speak(text);
        speaking_ = true;
    }
    int speaking() const override { return speaking_ && holding ? 1 : 0; }
    void audioReset() override { speaking_ = false; }
    bool holding = true;

private:
    bool speaking_ = false;
};

class WindowContents : public testing::Test, protected test::WindowRig {
protected:
    void start(bool holding) {
        MainWindow::Options o = options();
        o.voices = [this, holding] {
            auto ru = std::make_unique<HoldingVoice>(modes);
            auto en = std::make_unique<HoldingVoice>(modes);
            ru->holding = en->holding = holding;
            ruVoice = ru.get();
            enVoice = en.get();
            ruHolding = ru.get();
            enHolding = en.get();
            return PerLanguage<std::unique_ptr<Voice>>{{std::move(ru), std::move(en)}};
        };
        w = &startWindow(std::move(o));
        panel = w->contentsPanel();
    }
    void open(const std::string& relative) {
        w->controllers().documents.openDocument(
            QString::fromStdString(std::string(VERNALO_TEST_DATA) + "/" + relative));
        ASSERT_TRUE(test::WaitFor([&] { return !w->controllers().documents.opening(); }));
    }
    QAction* contentsAction() const {
        for (QAction* a : w->actions())
            if (a->shortcut() == QKeySequence(Qt::Key_F9)) return a;
        return nullptr;
    }
    QToolButton* say() const { return w->findChild<QToolButton*>(QStringLiteral("sayButton")); }

    MainWindow* w = nullptr;
    ContentsPanel* panel = nullptr;
    HoldingVoice* ruHolding = nullptr;
    HoldingVoice* enHolding = nullptr;
};

struct Book {
    const char* file;
    std::vector<const char*> titles;
};

class WindowContentsOf : public WindowContents, public testing::WithParamInterface<Book> {};

TEST_P(WindowContentsOf, listsTheHeadingsInOrderAndJumpsToEach) {
    start(true);
    ASSERT_NE(contentsAction(), nullptr);
    contentsAction()->trigger();
    ASSERT_TRUE(panel->isVisibleTo(w));
    EXPECT_EQ(panel->tree()->accessibleName(), QStringLiteral("Contents"));
    open(GetParam().file);
    QStringList titles;
    for (const char* t : GetParam().titles)
        titles << QString::fromUtf8(t);
    ASSERT_TRUE(test::WaitFor([&] { return panel->titles() == titles; }))
        << panel->titles().join(u'|').toStdString();
    // From the last to the first, so that each move is a real one.
    for (int i = static_cast<int>(titles.size()) - 1; i >= 0; --i) {
        panel->choose(i);
        const QTextCursor caret = w->editor()->textCursor();
        EXPECT_EQ(caret.positionInBlock(), 0) << i;
        EXPECT_TRUE(caret.block().text().startsWith(titles[i]))
            << caret.block().text().toStdString();
        EXPECT_EQ(panel->current(), i);
        EXPECT_TRUE(w->editor()->hasFocus() || !w->isActiveWindow());
    }
}

const std::vector<const char*> kBook = {"Глава первая: Spring", "Что мы взяли", "Стихи",
                                        "Глава вторая: Evening"};
const std::vector<const char*> kOffice = {"Отчёт о поездке: Trip report", "Что мы видели",
                                          "Расходы / Expenses", "Итог"};

INSTANTIATE_TEST_SUITE_P(Files, WindowContentsOf,
                         testing::Values(Book{"books/book.fb2", kBook},
                                         Book{"books/book.epub", kBook},
                                         Book{"office/office.docx", kOffice},
                                         Book{"office/office.odt", kOffice}));

// While reading, the chapter of the piece read is marked, and a chosen heading is where the
// reading goes on.
TEST_F(WindowContents, marksTheChapterReadAndReadsOnFromAChosenOne) {
    start(true);
    contentsAction()->trigger();
    open("books/book.fb2");
    ASSERT_TRUE(test::WaitFor([&] { return panel->titles().size() == 4; }));
    w->editor()->select(0, 0);
    say()->click();
    ASSERT_TRUE(test::WaitFor([&] { return !ruVoice->spoken.empty(); }));
    EXPECT_EQ(panel->current(), -1);  // the title page comes before the first chapter
    panel->choose(3);
    ASSERT_TRUE(test::WaitFor([&] {
        return !ruVoice->spoken.empty() && ruVoice->spoken.back().starts_with(u"Глава вторая");
    }));
    EXPECT_TRUE(say()->isChecked());
    EXPECT_EQ(panel->current(), 3);
    say()->click();  // pause

    // A reading that goes on by itself walks the marks through every chapter in order.
    ruHolding->holding = enHolding->holding = false;
    std::vector<int> marks;
    QObject::connect(&w->controllers().reading, &ReadingController::pieceShown, panel, [&] {
        if (marks.empty() || marks.back() != panel->current()) marks.push_back(panel->current());
    });
    w->editor()->select(0, 0);
    w->controllers().reading.session().setPaused(false);
    say()->click();
    ASSERT_TRUE(test::WaitFor([&] { return !say()->isChecked(); }, 30000));
    EXPECT_EQ(marks, (std::vector<int>{-1, 0, 1, 2, 3}));
}

// A text without headings says so; the panel shown stays shown in the next run.
TEST_F(WindowContents, sayWhenThereAreNoneAndStayShownAcrossRuns) {
    start(true);
    contentsAction()->trigger();
    open("books/book.epub");
    ASSERT_TRUE(test::WaitFor([&] { return panel->titles().size() == 4; }));
    w->editor()->setPlainText(QStringLiteral("Just a line"));
    emit w->editor()->textEdited();
    ASSERT_TRUE(test::WaitFor([&] { return panel->titles().isEmpty(); }));
    const auto* pages = panel->findChild<QStackedWidget*>();
    const auto* label = qobject_cast<QLabel*>(pages->currentWidget());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("This document has no headings."));
    close();
    start(true);
    EXPECT_TRUE(panel->isVisibleTo(w));
    contentsAction()->trigger();
    close();
    start(true);
    EXPECT_FALSE(panel->isVisibleTo(w));
}

}  // namespace
}  // namespace vernalo
