// The pronunciation editor in the window: entries added, changed and removed reach the voice at
// the next reading and the data folder's file; the list and the rules tab.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextCursor>
#include <QToolButton>

#include "app/controllers/pronunciationcontroller.h"
#include "app/dialogs/dictionarytab.h"
#include "app/dialogs/pronunciationdialog.h"
#include "app/dialogs/rulestab.h"
#include "dict/dictfile.h"
#include "support/accessible.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

class WindowPronunciation : public testing::Test, protected test::WindowRig {
protected:
    WindowPronunciation() {
        // Windows-1251: "молоко=моло+ко".
        write("dict/readerru.dic", "\xEC\xEE\xEB\xEE\xEA\xEE=\xEC\xEE\xEB\xEE+\xEA\xEE\r\n");
        write("dict/readeren.dic", "Hello=Heh-low\r\n");
        write("dict/readerru.rules", "# numbers\n(\\d+) % = $1 процентов\n");
        // Only English has the voice that loads its dictionary at start.
        modes = {{u"Russian", u"Nicolai", u"Other Speech"}, {u"English", u"Carol", u"DIGALO"}};
    }
    MainWindow& start() {
        MainWindow::Options o = options();
        o.dictionaryDir = QString::fromStdString(path("none"));
        MainWindow& w = startWindow(std::move(o));
        return w;
    }
    PronunciationController& editor() { return controllers().pronunciation; }
    // The Edit menu's item, as the menu shows it for the caret.
    QAction* menuItem() {
        auto* edit = window->menuBar()->findChild<QMenu*>(QStringLiteral("editMenu"));
        emit edit->aboutToShow();
        return edit->findChild<QAction*>(QStringLiteral("pronunciationAction"));
    }
    PronunciationDialog* dialog() { return window->findChild<PronunciationDialog*>(); }
    template <typename T>
    T* in(const char* name) {
        return dialog()->findChild<T*>(QLatin1String(name));
    }
    std::u16string sayAll() {
        ruVoice->spoken.clear();
        window->editor()->select(0, 0);
        test::FindAccessible<QToolButton>(window.get(), "Say text/Pause")->click();
        test::WaitFor([this] { return !controllers().reading.session().running(); }, 5000);
        std::u16string all;
        for (const auto& s : ruVoice->spoken)
            all += s;
        return all;
    }
    Dictionary fileEntries() {
        Dictionary d;
        EXPECT_TRUE(LoadDictionaryFile(path("dict/readerru.dic"), d));
        return d;
    }
};

TEST_F(WindowPronunciation, addedChangedAndRemovedEntriesReachTheVoiceAndTheFile) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("Это замок, а не молоко."));
    w.editor()->select(6, 0);  // in "замок"
    QAction* item = menuItem();
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), QStringLiteral("Pr&onunciation of \"замок\"…"));
    item->trigger();
    ASSERT_TRUE(dialog());
    EXPECT_EQ(in<QLineEdit>("wordEdit")->text(), QStringLiteral("замок"));
    EXPECT_EQ(in<QComboBox>("wordLanguageBox")->currentIndex(), 0);
    // Russian had no loader: the editor loads the file first, so saving keeps its entries.
    ASSERT_TRUE(test::WaitFor([&] { return editor().notEditable(Language::Russian).isEmpty(); }));

    const struct {
        const char* step;
        QString sayAs;  // empty: Remove
        std::u16string heard;
    } steps[] = {
        {"added", QStringLiteral("за\u0301мок"), u"за\u0301мок"},
        {"changed", QStringLiteral("зам+ок"), u"зам+ок"},
        {"removed", QString(), u"замок"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        in<QLineEdit>("sayAsEdit")->setText(s.sayAs);
        in<QPushButton>(s.sayAs.isEmpty() ? "removeWordButton" : "saveEntryButton")->click();
        // The next reading, without a restart.
        const std::u16string heard = sayAll();
        EXPECT_NE(heard.find(s.heard), std::u16string::npos)
            << QString::fromStdU16String(heard).toStdString();
        EXPECT_NE(heard.find(u"моло+ко"), std::u16string::npos);
        ASSERT_TRUE(test::WaitFor([&] { return !editor().writing(); }));
        const Dictionary file = fileEntries();
        EXPECT_EQ(file.size(), s.sayAs.isEmpty() ? 1u : 2u);
        EXPECT_EQ(file.lookup(u"замок"), s.sayAs.toStdU16String());
        EXPECT_EQ(file.lookup(u"молоко"), u"моло+ко");
    }
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
}

TEST_F(WindowPronunciation, theListSearchesEditsAndRemoves) {
    MainWindow& w = start();
    ASSERT_TRUE(test::WaitFor([&] { return editor().notEditable(Language::English).isEmpty(); }));
    ASSERT_TRUE(
        editor()
            .setEntry(Language::English, QStringLiteral("e.g."), QStringLiteral("for example"))
            .isEmpty());
    w.editor()->setPlainText(QStringLiteral("Hello"));
    menuItem()->trigger();
    auto* tabs = dialog()->findChild<QTabWidget*>();
    auto* list = dialog()->findChild<DictionaryTab*>();
    tabs->setCurrentWidget(list);
    EXPECT_EQ(list->language(), Language::English);
    EXPECT_EQ(list->model()->rowCount(), 2);
    in<QLineEdit>("searchEdit")->setText(QStringLiteral("EXAMPLE"));
    ASSERT_TRUE(test::WaitFor([&] { return list->model()->rowCount() == 1; }));
    EXPECT_EQ(list->model()->key(0), QStringLiteral("e.g."));
    auto* table = in<QTableView>("entriesTable");
    table->selectRow(0);
    in<QPushButton>("editEntryButton")->click();
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(in<QLineEdit>("wordEdit")->text(), QStringLiteral("e.g."));
    tabs->setCurrentWidget(list);
    table->selectRow(0);
    in<QPushButton>("removeEntryButton")->click();
    EXPECT_EQ(list->model()->rowCount(), 0);
    ASSERT_TRUE(test::WaitFor([&] { return !editor().writing(); }));
    EXPECT_EQ(read("dict/readeren.dic"), "Hello=Heh-low\r\n");
}

TEST_F(WindowPronunciation, aBadPatternIsShownAndNotSaved) {
    start();
    menuItem()->trigger();
    auto* tabs = dialog()->findChild<QTabWidget*>();
    auto* rules = dialog()->findChild<RulesTab*>();
    tabs->setCurrentWidget(rules);
    auto* table = in<QTableWidget>("rulesTable");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("(\\d+) %"));
    const std::string before = read("dict/readerru.rules");
    in<QPushButton>("addRuleButton")->click();
    table->item(1, 0)->setText(QStringLiteral("(т\\. е\\."));
    table->item(1, 1)->setText(QStringLiteral("то есть"));
    EXPECT_NE(in<QLabel>("rulesMessage")->text().indexOf(QStringLiteral("Rule 2")), -1);
    EXPECT_FALSE(rules->save());
    EXPECT_EQ(read("dict/readerru.rules"), before);
    // A look at the other language's rules keeps these changes for the return.
    auto* languageBox = in<QComboBox>("rulesLanguageBox");
    languageBox->setCurrentIndex(1);
    EXPECT_EQ(table->rowCount(), 0);
    languageBox->setCurrentIndex(0);
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_TRUE(rules->modified());
    EXPECT_NE(in<QLabel>("rulesMessage")->text().indexOf(QStringLiteral("Rule 2")), -1);
    table->item(1, 0)->setText(QStringLiteral("\\bт\\. е\\."));
    table->setCurrentCell(1, 0);
    in<QPushButton>("ruleUpButton")->click();
    EXPECT_TRUE(rules->save());
    EXPECT_EQ(read("dict/readerru.rules"),
              "\\bт\\. е\\. = то есть\n# numbers\n(\\d+) % = $1 процентов\n");
}

}  // namespace
}  // namespace vernalo
