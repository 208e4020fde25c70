// The window's menu bar. Its items share the tool bar's actions where a button exists, so a
// command is one action whether clicked, chosen from a menu or given by its shortcut.

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

#include "app/dialogs/finddialog.h"
#include "app/pages/optionspage.h"
#include "app/window/mainwindow.h"
#include "app/window/qtext.h"
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

void MainWindow::setupMenus() {
    QMenuBar* bar = menuBar();
    const auto shared = [this](QMenu* menu, Command command, const QString& text,
                               const QKeySequence& keys = {}) {
        QAction* a = toolBars_->action(command);
        a->setText(text);
        if (!keys.isEmpty()) toolBars_->setShortcut(command, keys);
        menu->addAction(a);
        return a;
    };

    QMenu* file = bar->addMenu(tr("&File"));
    shared(file, Command::Open, tr("&Open…"), QKeySequence::Open);
    recentMenu_ = file->addMenu(tr("Open &Recent"));
    fillRecentMenu();
    file->addSeparator();
    shared(file, Command::Save, tr("&Save as RTF…"), QKeySequence::Save);
    shared(file, Command::Export, tr("&Export audio…"), QKeySequence(Qt::CTRL | Qt::Key_E));
    file->addSeparator();
    shared(file, Command::Exit, tr("E&xit"), Keys(QKeySequence::Quit, "Ctrl+Q"));

    QMenu* edit = bar->addMenu(tr("&Edit"));
    AddItem(edit, tr("&Undo"), QKeySequence::Undo, [this] { editor()->undoStep(); });
    AddItem(edit, tr("&Redo"), QKeySequence::Redo, [this] { editor()->redoStep(); });
    edit->addSeparator();
    AddItem(edit, tr("Cu&t"), QKeySequence::Cut, [this] { editor()->cut(); });
    AddItem(edit, tr("&Copy"), QKeySequence::Copy, [this] { editor()->copy(); });
    AddItem(edit, tr("&Paste"), QKeySequence::Paste, [this] { editor()->paste(); });
    shared(edit, Command::Paste, tr("Paste &text from clipboard"));
    AddItem(edit, tr("Select &all"), QKeySequence::SelectAll, [this] { editor()->selectAll(); });
    edit->addSeparator();
    shared(edit, Command::Find, tr("&Find…"), QKeySequence::Find);
    AddItem(edit, tr("Find &next"), QKeySequence::FindNext, [this] {
        if (!findDialog_) return findInText();
        findNext();
    });
    edit->addSeparator();
    shared(edit, Command::Clear, tr("C&lear"));
    shared(edit, Command::HtmlToText, tr("Transform &HTML to text"));
    AddItem(edit, tr("&DOS to WIN"), {}, [this] { recodeDosToWindows(); });

    QMenu* reading = bar->addMenu(tr("&Reading"));
    shared(reading, Command::Say, tr("&Say/Pause"));
    shared(reading, Command::RepeatText, tr("&Repeat text"));
    reading->addSeparator();
    OptionsPage* options = settingsPages_->options();
    auto* modes = new QActionGroup(reading);
    QAction* word =
        AddItem(reading, tr("&Word mode"), {}, [options] { options->chooseMode(false); });
    QAction* sentence =
        AddItem(reading, tr("S&entence mode"), {}, [options] { options->chooseMode(true); });
    for (QAction* a : {word, sentence}) {
        a->setCheckable(true);
        modes->addAction(a);
    }
    connect(reading, &QMenu::aboutToShow, this, [options, word, sentence] {
        (options->sentenceMode() ? sentence : word)->setChecked(true);
    });
    AddItem(reading, tr("Repeat &counts…"), {}, [this] {
        toolBars_->action(Command::OptionsPage)->setChecked(true);
        showSettingsPage(SettingsPage::Options);
    });

    QMenu* view = bar->addMenu(tr("&View"));
    shared(view, Command::SpeechPage, tr("&Speech settings"));
    shared(view, Command::OptionsPage, tr("&Options"));
    shared(view, Command::FontPage, tr("&Font settings"));
    view->addSeparator();
    AddItem(view, tr("&Text page"), {},
            [this] { documentPages_->setCurrentIndex(static_cast<int>(DocumentPage::Text)); });
    AddItem(view, tr("&Browser page"), {},
            [this] { documentPages_->setCurrentIndex(static_cast<int>(DocumentPage::Browser)); });

    QMenu* help = bar->addMenu(tr("&Help"));
    AddItem(help, tr("&Keyboard shortcuts"), QKeySequence::HelpContents,
            [this] { showShortcuts(); });
    AddItem(help, tr("&About Vernalo"), {}, [this] { showAbout(); });

    // Shortcuts work while the menu bar is hidden or a menu was never opened.
    for (QMenu* menu : {file, edit, reading, view, help})
        for (QAction* a : menu->actions())
            if (!a->shortcut().isEmpty()) addAction(a);
}

void MainWindow::rememberRecentFile(const QString& path) {
    const std::u16string p = QFileInfo(path).absoluteFilePath().toStdU16String();
    std::erase(recentFiles_, p);
    recentFiles_.insert(recentFiles_.begin(), p);
    if (recentFiles_.size() > kRecentFiles) recentFiles_.resize(kRecentFiles);
    settingsChanged_ = true;
    fillRecentMenu();
}

void MainWindow::fillRecentMenu() {
    if (!recentMenu_) return;
    recentMenu_->clear();
    int n = 0;
    for (const std::u16string& p : recentFiles_) {
        const QString path = ToQString(p);
        QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(++n % 10).arg(
            QString(path).replace(u'&', QStringLiteral("&&"))));
        connect(a, &QAction::triggered, this, [this, path] { openDocument(path); });
    }
    recentMenu_->setEnabled(!recentFiles_.empty());
}

void MainWindow::showShortcuts() {
    QDialog dialog(this);
    dialog.setWindowTitle(tr("Keyboard shortcuts"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QTreeWidget(&dialog);
    list->setAccessibleName(tr("Keyboard shortcuts"));
    list->setHeaderLabels({tr("Command"), tr("Keys")});
    list->setRootIsDecorated(false);
    for (QAction* a : actions()) {
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

void MainWindow::showAbout() {
    const QString espeak = QString::fromStdString(EspeakVersion());
    QMessageBox::about(this, tr("About Vernalo"),
                       tr("<h3>Vernalo %1</h3>"
                          "<p>Reads Russian and English texts aloud, each with its own voice.</p>"
                          "<p>Built-in speech: eSpeak NG %2 (GNU GPL version 3 or later).<br>"
                          "Qt %3 (GNU LGPL version 3).<br>"
                          "Other voices through speech-dispatcher, where it is installed.</p>")
                           .arg(QStringLiteral(VERNALO_VERSION), espeak.toHtmlEscaped(),
                                QString::fromLatin1(qVersion())));
}

}  // namespace vernalo
