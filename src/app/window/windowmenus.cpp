#include "app/window/windowmenus.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/controllers/documentcommands.h"
#include "app/controllers/exportcontroller.h"
#include "app/controllers/textfromoutside.h"
#include "app/controllers/windowpersistence.h"
#include "app/dialogs/readfromothers.h"
#include "app/pages/optionspage.h"
#include "app/window/contentspanel.h"
#include "app/window/mainwindow.h"
#include "app/window/qtext.h"
#include "app/window/readingmenuitems.h"
#include "app/window/texteditor.h"
#include "speech/espeakengine.h"

namespace vernalo {

namespace {

// A menu item of its own, for a command without a tool bar button.
QAction* AddItem(QMenu* menu, const QString& text, const QKeySequence& keys,
                 std::function<void()> run) {
    QAction* a = menu->addAction(text);
    a->setShortcut(keys);
    QObject::connect(a, &QAction::triggered, menu, [run = std::move(run)] { run(); });
    return a;
}

// The desktop's keys for a standard command; where its theme has none (Quit, in some), the
// usual ones.
QKeySequence Keys(QKeySequence::StandardKey key, const char* usual) {
    const QKeySequence keys(key);
    return keys.isEmpty() ? QKeySequence(QString::fromLatin1(usual)) : keys;
}

}  // namespace

WindowMenus::WindowMenus(MainWindow& window, ToolBarRow& toolBars, DocumentCommands& documents,
                         WindowPersistence& persistence, OptionsPage& options,
                         TextFromOutside& outside, ReadingController& readingController,
                         SleepTimer& sleepTimer)
    : QObject(&window), window_(window), documents_(documents), persistence_(persistence) {
    QMenuBar* bar = window.menuBar();
    const auto shared = [&toolBars](QMenu* menu, Command command, const QString& text,
                                    const QKeySequence& keys = {}) {
        QAction* a = toolBars.action(command);
        a->setText(text);
        if (!keys.isEmpty()) toolBars.setShortcut(command, keys);
        menu->addAction(a);
        return a;
    };

    QMenu* file = bar->addMenu(tr("&File"));
    shared(file, Command::Open, tr("&Open…"), QKeySequence::Open);
    recentMenu_ = file->addMenu(tr("Open &Recent"));
    fillRecentMenu();
    connect(&persistence_, &WindowPersistence::recentFilesChanged, this,
            &WindowMenus::fillRecentMenu);
    file->addSeparator();
    shared(file, Command::Save, tr("&Save as RTF…"), QKeySequence::Save);
    shared(file, Command::Export, tr("&Export audio…"), QKeySequence(Qt::CTRL | Qt::Key_E));
    AddItem(file, tr("Export read-along &book…"), {},
            [&window] { window.controllers().exports.exportBook(); });
    file->addSeparator();
    shared(file, Command::Exit, tr("E&xit"), Keys(QKeySequence::Quit, "Ctrl+Q"));

    QMenu* edit = bar->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    AddItem(edit, tr("&Undo"), QKeySequence::Undo, [&window] { window.editor()->undoStep(); });
    AddItem(edit, tr("&Redo"), QKeySequence::Redo, [&window] { window.editor()->redoStep(); });
    edit->addSeparator();
    AddItem(edit, tr("Cu&t"), QKeySequence::Cut, [&window] { window.editor()->cut(); });
    AddItem(edit, tr("&Copy"), QKeySequence::Copy, [&window] { window.editor()->copy(); });
    AddItem(edit, tr("&Paste"), QKeySequence::Paste, [&window] { window.editor()->paste(); });
    shared(edit, Command::Paste, tr("Paste &text from clipboard"));
    AddItem(edit, tr("Select &all"), QKeySequence::SelectAll,
            [&window] { window.editor()->selectAll(); });
    edit->addSeparator();
    shared(edit, Command::Find, tr("&Find…"), QKeySequence::Find);
    AddItem(edit, tr("Find &next"), QKeySequence::FindNext,
            [&documents] { documents.findAgain(); });
    edit->addSeparator();
    shared(edit, Command::Clear, tr("C&lear"));
    shared(edit, Command::HtmlToText, tr("Transform &HTML to text"));
    AddItem(edit, tr("&DOS to WIN"), {}, [&documents] { documents.recodeDosToWindows(); });

    QMenu* reading = bar->addMenu(tr("&Reading"));
    shared(reading, Command::Say, tr("&Say/Pause"));
    shared(reading, Command::RepeatText, tr("&Repeat text"));
    reading->addSeparator();
    auto* modes = new QActionGroup(reading);
    QAction* word =
        AddItem(reading, tr("&Word mode"), {}, [&options] { options.chooseMode(false); });
    QAction* sentence =
        AddItem(reading, tr("S&entence mode"), {}, [&options] { options.chooseMode(true); });
    for (QAction* a : {word, sentence}) {
        a->setCheckable(true);
        modes->addAction(a);
    }
    connect(reading, &QMenu::aboutToShow, this, [&options, word, sentence] {
        (options.sentenceMode() ? sentence : word)->setChecked(true);
    });
    AddItem(reading, tr("Repeat &counts…"), {}, [&window, &toolBars] {
        toolBars.action(Command::OptionsPage)->setChecked(true);
        window.showSettingsPage(SettingsPage::Options);
    });
    new ReadingMenuItems(reading, readingController, sleepTimer);
    reading->addSeparator();
    reading->addAction(outside.readCopiedAction());

    QMenu* view = bar->addMenu(tr("&View"));
    shared(view, Command::SpeechPage, tr("&Speech settings"));
    shared(view, Command::OptionsPage, tr("&Options"));
    shared(view, Command::FontPage, tr("&Font settings"));
    view->addSeparator();
    AddItem(view, tr("&Text page"), {}, [&window] {
        window.documentPages()->setCurrentIndex(static_cast<int>(DocumentPage::Text));
    });
    AddItem(view, tr("&Browser page"), {}, [&window] {
        window.documentPages()->setCurrentIndex(static_cast<int>(DocumentPage::Browser));
    });
    view->addSeparator();
    QAction* contents = window.contentsPanel()->toggleViewAction();
    contents->setText(tr("&Contents"));
    contents->setShortcut(QKeySequence(Qt::Key_F9));
    view->addAction(contents);

    QMenu* help = bar->addMenu(tr("&Help"));
    AddItem(help, tr("&Keyboard shortcuts"), QKeySequence::HelpContents,
            [this] { showShortcuts(); });
    AddItem(help, tr("&Read from other programs…"), {}, [this] {
        ReadFromOthersDialog dialog(QString::fromStdString(persistence_.baseDir()), &window_);
        dialog.exec();
    });
    AddItem(help, tr("&About Vernalo"), {}, [this] { showAbout(); });

    // Shortcuts work while the menu bar is hidden or a menu was never opened.
    for (QMenu* menu : {file, edit, reading, view, help})
        for (QAction* a : menu->actions())
            if (!a->shortcut().isEmpty()) window.addAction(a);
}

void WindowMenus::fillRecentMenu() {
    if (!recentMenu_) return;
    recentMenu_->clear();
    int n = 0;
    for (const std::u16string& p : persistence_.recentFiles()) {
        const QString path = ToQString(p);
        QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(++n % 10).arg(
            QString(path).replace(u'&', QStringLiteral("&&"))));
        connect(a, &QAction::triggered, this, [this, path] { documents_.openDocument(path); });
    }
    recentMenu_->addSeparator();
    // Queued: the list is refilled, which deletes the item still being triggered.
    connect(
        recentMenu_->addAction(tr("&Clear list")), &QAction::triggered, this,
        [this] { persistence_.clearRecentFiles(); }, Qt::QueuedConnection);
    recentMenu_->setEnabled(!persistence_.recentFiles().empty());
}

void WindowMenus::showShortcuts() {
    QDialog dialog(&window_);
    dialog.setWindowTitle(tr("Keyboard shortcuts"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QTreeWidget(&dialog);
    list->setAccessibleName(tr("Keyboard shortcuts"));
    list->setHeaderLabels({tr("Command"), tr("Keys")});
    list->setRootIsDecorated(false);
    for (QAction* a : window_.actions()) {
        QString text = a->text();
        text.remove(u'&');
        text.remove(QStringLiteral("…"));
        list->addTopLevelItem(new QTreeWidgetItem(
            QStringList{text, a->shortcut().toString(QKeySequence::NativeText)}));
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(420, 420);
    dialog.exec();
}

void WindowMenus::showAbout() {
    const QString espeak = QString::fromStdString(EspeakVersion());
    QMessageBox::about(&window_, tr("About Vernalo"),
                       tr("<h3>Vernalo %1</h3>"
                          "<p>Reads Russian and English texts aloud, each with its own voice.</p>"
                          "<p>Built-in speech: eSpeak NG %2 (GNU GPL version 3 or later).<br>"
                          "Qt %3 (GNU LGPL version 3).<br>"
                          "Other voices through speech-dispatcher, where it is installed.</p>")
                               .arg(QStringLiteral(VERNALO_VERSION), espeak.toHtmlEscaped(),
                                    QString::fromLatin1(qVersion())) +
                           tr("<p>Licence: GNU General Public License, version 3 or later "
                              "(GPL-3.0-or-later).</p>"));
}

}  // namespace vernalo
