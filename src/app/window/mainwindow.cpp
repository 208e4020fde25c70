#include "app/window/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "app/controllers/contentscontroller.h"
#include "app/controllers/documentcommands.h"
#include "app/controllers/exportcontroller.h"
#include "app/controllers/mediabridge.h"
#include "app/controllers/pronunciationcontroller.h"
#include "app/controllers/readingcontroller.h"
#include "app/controllers/readingfollower.h"
#include "app/controllers/readingplaces.h"
#include "app/controllers/sleeptimer.h"
#include "app/controllers/textfromoutside.h"
#include "app/controllers/windowparts.h"
#include "app/controllers/windowpersistence.h"
#include "app/dialogs/pronunciationdialog.h"
#include "app/pages/speechpage.h"
#include "app/window/accessibleclick.h"
#include "app/window/contentspanel.h"
#include "app/window/icons.h"
#include "app/window/modifiedkeys.h"
#include "app/window/readingview.h"
#include "app/window/texteditor.h"
#include "app/window/traymenu.h"
#include "app/window/windowmenus.h"
#include "documents/qt/documentheadings.h"
#include "tray/trayicon.h"

namespace vernalo {

MainWindow::MainWindow(Options options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    InstallAccessibleClicks();
    new ModifiedKeyFilter(this);
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Vernalo " VERNALO_SHORT_VERSION));
    // The installed theme's icon (hicolor), so window, task bar and tray match the menu entry.
    setWindowIcon(ThemeIcon("vernalo", "vernalo"));

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    toolBars_ = new ToolBarRow(central);
    settingsPages_ = new SettingsPages(options_.voices, central);
    documentPages_ = new DocumentPages(central);
    column->addWidget(toolBars_);
    column->addWidget(settingsPages_);
    column->addWidget(documentPages_, 1);
    statusBar_ = new StatusBar(this);
    setStatusBar(statusBar_);
    contentsPanel_ = new ContentsPanel(this);
    addDockWidget(Qt::LeftDockWidgetArea, contentsPanel_);
    contentsPanel_->hide();

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive) returningFromOutside_ = true;
    });
    connect(toolBars_, &ToolBarRow::clicked, this, &MainWindow::onCommand);
    connect(settingsPages_->speech(), &SpeechPage::speechProblem, this,
            [this](const QString& text) { statusBar_->setText(StatusPanel::Activity, text); });
    TextEditor* ed = editor();
    connect(ed, &TextEditor::textEdited, this, [this] {
        persistence_->markTextChanged();
        // The user cannot type while reading; a change now comes from a command.
        reading_->stopForReplacedText();
    });
    connect(ed, &TextEditor::documentReplaced, this, [this] { reading_->stopForReplacedText(); });
    connect(documentPages_, &DocumentPages::pageChosen, this, &MainWindow::onDocumentPageChosen);
    // Files dropped on the rest of the window open as on the text.
    setAcceptDrops(true);

    messages_ = std::make_unique<Messages>(this, options_.showMessages, options_.onMessage);
    const WindowParts parts{this,        *toolBars_, *settingsPages_, *documentPages_,
                            *statusBar_, *messages_};
    reading_ = new ReadingController(parts, options_.dictionaryDir, this);
    persistence_ =
        new WindowPersistence(parts, *reading_, options_.baseDir, options_.autosave, this);
    documents_ = new DocumentCommands(parts, *persistence_, this);
    reading_->view().onImportBrowserPage = [this] { documents_->importBrowserPage(); };
    exports_ = new ExportController(parts, *reading_, this);
    // A text from another program brings the window forward, unless it was hidden to the
    // notification area: reading from there stays there.
    outside_ = new TextFromOutside(
        parts, *reading_, *persistence_,
        [this] {
            if (!tray_->iconShown()) bringForward();
        },
        this);
    places_ = new ReadingPlaces(parts, *reading_, *persistence_, *documents_, this);
    new ReadingFollower(parts, *reading_, this);
    auto* sleepTimer = new SleepTimer(parts, *reading_, this);
    sleepTimer->setNextChapter([this](long position) -> std::optional<long> {
        if (const auto end = ChapterEndAfter(*editor()->document(), static_cast<int>(position)))
            return *end;
        return std::nullopt;
    });
    new WindowMenus(*this, *toolBars_, *documents_, *persistence_, *settingsPages_->options(),
                    *outside_, *reading_, *sleepTimer);
    contents_ = new ContentsController(parts, *reading_, *contentsPanel_, this);
    connect(contentsPanel_->toggleViewAction(), &QAction::toggled, this,
            [this](bool shown) { persistence_->setContentsShown(shown); });
    pronunciation_ = new PronunciationController(
        parts, *reading_, [this] { return persistence_->baseDir(); }, this);
    InstallPronunciationEditor(menuBar()->findChild<QMenu*>(QStringLiteral("editMenu")), ed,
                               *pronunciation_, this);
    media_ = new MediaBridge(
        parts, *reading_, [this] { bringForward(); }, [this] { close(); }, this);

    // Minimizing hides the window to the notification area, where the desktop has one.
    tray_ = new TrayIcon(this);
    tray_->setHint(QStringLiteral("Vernalo " VERNALO_SHORT_VERSION));
    tray_->setMenu(new TrayMenu(
        *toolBars_, *outside_, [this] { bringForward(); },
        [this] {
            close();
            QCoreApplication::quit();
        },
        this));
    tray_->loaded();
}

MainWindow::~MainWindow() = default;

WindowControllers MainWindow::controllers() const {
    return {*reading_, *persistence_, *documents_, *exports_, *media_, *outside_, *pronunciation_};
}

void MainWindow::startUp() {
    persistence_->startUp();
    // The menu item follows a dock shown or hidden only once the window is up: set it too.
    contentsPanel_->setVisible(persistence_->contentsShown());
    contentsPanel_->toggleViewAction()->setChecked(persistence_->contentsShown());
}

void MainWindow::showStartupProblems() {
    persistence_->showStartupProblems();
}

void MainWindow::onCommand(Command command) {
    switch (command) {
        case Command::Clear:
            return documents_->clearText();
        case Command::Save:
            return documents_->saveAs();
        case Command::Export:
            return exports_->exportAudio();
        case Command::Open:
            return documents_->openFile();
        case Command::Paste:
            return documents_->pasteFromClipboard();
        case Command::HtmlToText:
            return documents_->htmlToText();
        case Command::Find:
            return documents_->findInText();
        case Command::Say:
            return reading_->sayToggled();
        case Command::RepeatText:
            return;  // read at the end of the text
        case Command::SpeechPage:
            return showSettingsPage(SettingsPage::Speech);
        case Command::OptionsPage:
            return showSettingsPage(SettingsPage::Options);
        case Command::FontPage:
            return showSettingsPage(SettingsPage::Font);
        case Command::Exit:
            close();
            return;
    }
}

void MainWindow::bringForward() {
    tray_->restore();
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::activate() {
    if (!std::exchange(returningFromOutside_, false)) return;
    // With the browser page showing, the editor is hidden and keeps its caret.
    if (documentPages_->current() == DocumentPage::Browser) return;
    editor()->setFocus(Qt::ActiveWindowFocusReason);
    editor()->placeCaretForTyping(reading_->readingPosition());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        // A file still being read would replace the text after it is written.
        documents_->cancelOpening();
        outside_->stop();
        places_->saveOnClose();
        persistence_->saveOnClose();
    }
    event->accept();
}

bool MainWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) activate();
    return QMainWindow::event(e);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    documents_->openDocument(paths.first());
}

void MainWindow::showSettingsPage(SettingsPage page) {
    // One group: pressing a button lowers it and raises the others; pressing the lowered
    // one raises it, so all three may be up.
    const std::pair<SettingsPage, Command> buttons[] = {
        {SettingsPage::Speech, Command::SpeechPage},
        {SettingsPage::Options, Command::OptionsPage},
        {SettingsPage::Font, Command::FontPage}};
    for (auto [p, command] : buttons)
        if (p != page) toolBars_->button(command)->setChecked(false);
    settingsPages_->show(page);
}

void MainWindow::onDocumentPageChosen(DocumentPage page) {
    const bool browser = page == DocumentPage::Browser;
    editor()->setVisible(!browser);
    documentPages_->fileName()->setVisible(!browser);
    toolBars_->action(Command::FontPage)->setEnabled(!browser);
    // The Speech page shows, whichever was showing, and its button is the one down.
    if (browser) {
        showSettingsPage(SettingsPage::Speech);
        toolBars_->action(Command::SpeechPage)->setChecked(true);
    }
}

}  // namespace vernalo
