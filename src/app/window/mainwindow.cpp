#include "app/window/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include "app/controllers/documentopener.h"
#include "app/dialogs/editorfont.h"
#include "app/pages/fontpage.h"
#include "app/pages/optionspage.h"
#include "app/pages/speechpage.h"
#include "app/window/accessibleclick.h"
#include "app/window/icons.h"
#include "app/window/logging.h"
#include "app/window/qtext.h"
#include "app/window/texteditor.h"
#include "browser/browserpage.h"
#include "dict/dictionaryloader.h"
#include "documents/documentio.h"
#include "settings/inifile.h"
#include "text/fileio.h"
#include "tray/trayicon.h"

namespace vernalo {

MainWindow::MainWindow(Options options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    InstallAccessibleClicks();
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

    connect(toolBars_, &ToolBarRow::clicked, this, &MainWindow::onCommand);
    SpeechPage* speech = settingsPages_->speech();
    connect(speech, &SpeechPage::settingsChanged, this, [this] { settingsChanged_ = true; });
    connect(settingsPages_->options(), &OptionsPage::markWordChanged, this,
            [this] { settingsChanged_ = true; });
    connect(speech, &SpeechPage::speechProblem, this,
            [this](const QString& text) { statusBar_->setText(StatusPanel::Activity, text); });
    // The sound went away while reading: reading on in silence would tell the user nothing.
    connect(speech, &SpeechPage::soundLost, this, [this] {
        if (session_->running() || waitingForDictionaries_) refuseReadingWithoutSound();
    });
    // A service voice that cannot speak would otherwise let the reading skip on in silence.
    connect(speech, &SpeechPage::voiceFailed, this, [this](const QString& text) {
        if (session_->running()) {
            stopReadingReplacedText();  // as releasing Say does
            statusBar_->setText(StatusPanel::Activity, tr("Reading paused: %1").arg(text));
        } else {
            statusBar_->setText(StatusPanel::Activity, text);
        }
    });
    FontPage* font = settingsPages_->font();
    connect(font, &FontPage::chooseFontClicked, this, &MainWindow::chooseFont);
    connect(font, &FontPage::dosToWindowsClicked, this, &MainWindow::recodeDosToWindows);
    TextEditor* ed = editor();
    connect(ed, &TextEditor::textEdited, this, [this] {
        markTextChanged();
        // The user cannot type while reading; a change now comes from a command.
        stopReadingReplacedText();
    });
    connect(ed, &TextEditor::documentReplaced, this, &MainWindow::stopReadingReplacedText);
    connect(ed, &TextEditor::caretMayHaveMoved, this, [this] { readingView_->caretMoved(); });
    setupBrowserPage();
    setupDocumentOpening();
    setupSession();
    setupMenus();
    setupMediaControls();

    lastDialogFont_ = QFont(QStringLiteral("MS Sans Serif"), 8);

    // Minimizing hides the window to the notification area, where the desktop has one.
    tray_ = new TrayIcon(this);
    tray_->SetHint(QStringLiteral("Vernalo " VERNALO_SHORT_VERSION));
    tray_->Loaded();
}

MainWindow::~MainWindow() = default;

void MainWindow::onCommand(Command command) {
    switch (command) {
        case Command::Clear:
            return clearText();
        case Command::Save:
            return saveAs();
        case Command::Export:
            return exportAudio();
        case Command::Open:
            return openFile();
        case Command::Paste:
            return pasteFromClipboard();
        case Command::HtmlToText:
            return htmlToText();
        case Command::Find:
            return findInText();
        case Command::Say:
            return sayToggled();
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

void MainWindow::setupSession() {
    readingView_ =
        std::make_unique<ReadingView>(*toolBars_, *settingsPages_, *documentPages_, *statusBar_);
    readingView_->onImportBrowserPage = [this] { importBrowserPage(); };
    SpeechPage* speech = settingsPages_->speech();
    session_ = std::make_unique<ReadingSession>(
        *readingView_,
        PerLanguage<Voice*>{{&speech->voice(Language::Russian), &speech->voice(Language::English)}},
        segmenter_);
    sessionTimer_ = new QTimer(this);
    sessionTimer_->setInterval(5);
    connect(sessionTimer_, &QTimer::timeout, this, [this] {
        session_->tick();
        if (!session_->running() && !session_->followingVoice()) sessionTimer_->stop();
    });
}

void MainWindow::stopReadingReplacedText() {
    if (!session_ || !session_->running()) return;
    toolBars_->action(Command::Say)->setChecked(false);
    session_->sayToggled(false);
    sessionTimer_->stop();
}

void MainWindow::showLineCount() {
    statusBar_->showLineCount(editor()->lineCount());
}

void MainWindow::showMessage(const QString& text) {
    if (onMessage) onMessage(text);
    if (!options_.showMessages) return;
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, this);
    box.exec();
}

// ---- Start, activation, close ----

void MainWindow::startUp() {
    settingsChanged_ = false;
    textChanged_ = false;
    segmenter_.readPos = 1;
    startupProblems_.clear();

    baseDir_ = options_.baseDir.empty()
                   ? ResolveBaseDir(QDir::currentPath().toStdString(), std::getenv("XDG_DATA_HOME"),
                                    std::getenv("HOME"))
                   : options_.baseDir;
    delete autosave_;
    autosave_ =
        new Autosave([this] { return static_cast<const QTextDocument*>(editor()->document()); },
                     TextPath(baseDir_), options_.autosave, this);
    connect(autosave_, &Autosave::writeFailed, this, [this](const QString& error) {
        showMessage(tr("The text could not be saved automatically: %1").arg(error));
    });

    IniFile ini;
    std::string error;
    if (!IniFile::Load(SettingsPath(baseDir_), ini, &error))
        startupProblems_.push_back(QString::fromStdString(error));
    std::vector<std::string> badKeys;
    ReaderSettings s = ReadSettings(ini, &badKeys);
    for (const auto& key : badKeys)
        startupProblems_.push_back(
            tr("Bad value for %1 in %2")
                .arg(QString::fromStdString(key), QString::fromStdString(SettingsPath(baseDir_))));
    statusBar_->showCaret(s.posX, s.posY);
    settingsPages_->options()->setMarkWord(s.markWord);
    segmenter_.readPos = s.position;
    QFont font(ToQString(s.fontName));
    if (s.fontSize > 0) font.setPointSize(s.fontSize);
    applyEditorFont(font, s.fontColor);
    urls_ = s.urls;
    browserPage()->setUrls(urls_, s.urlEditText);
    recentFiles_ = s.recentFiles;
    if (recentFiles_.size() > kRecentFiles) recentFiles_.resize(kRecentFiles);
    fillRecentMenu();

    // A missing last text is a first start, not a problem.
    const std::string textPath = TextPath(baseDir_);
    if (FileExists(textPath)) {
        std::string bytes;
        if (ReadWholeFile(textPath, bytes, &error))
            editor()->loadDocument([&](QTextDocument& doc) {
                LoadDocumentBytes(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                  doc);
                return true;
            });
        else
            startupProblems_.push_back(QString::fromStdString(error));
    }
    showLineCount();

    PerLanguage<QString> voices, speeds;
    for (Language l : kLanguages) {
        voices[l] = ToQString(s.voice[l]);
        speeds[l] = ToQString(s.speed[l]);
    }
    const SpeechPage::Restored restored = settingsPages_->speech()->restore(voices, speeds);
    if (!restored.problem.isEmpty()) startupProblems_.push_back(restored.problem);
    for (Language l : kLanguages)
        if (restored.loadDictionary[l]) startDictionaryLoader(l);
    for (const QString& problem : startupProblems_)
        qCWarning(lcApp) << "start-up:" << problem;
}

void MainWindow::showStartupProblems() {
    // The first line as it always was; below it, what went wrong and where.
    if (startupProblems_.empty()) return;
    QStringList details(startupProblems_.begin(), startupProblems_.end());
    details.removeDuplicates();
    showMessage(tr(kStartupProblem) + QStringLiteral("\n\n") + details.join(u'\n'));
}

void MainWindow::bringForward() {
    tray_->Restore();
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::markTextChanged() {
    textChanged_ = true;
    if (autosave_) autosave_->changed();
}

void MainWindow::activate() {
    // With the browser page showing, the editor is hidden and keeps its caret.
    if (documentPages_->current() == DocumentPage::Browser) return;
    editor()->setFocus(Qt::ActiveWindowFocusReason);
    editor()->placeCaretForTyping(segmenter_.readPos - 1);
}

ReaderSettings MainWindow::collectSettings() const {
    ReaderSettings s;
    SpeechPage* speech = settingsPages_->speech();
    for (Language l : kLanguages) {
        s.voice[l] = speech->voiceName(l).toStdU16String();
        s.speed[l] = QString::number(speech->speed(l)).toStdU16String();
    }
    const QFont f = editor()->document()->defaultFont();
    s.fontName = f.family().toStdU16String();
    s.fontSize = f.pointSize() > 0 ? f.pointSize() : 8;
    s.fontColor = fontColor_;
    s.markWord = settingsPages_->options()->markWord();
    s.position = static_cast<int>(editor()->selectionStart());
    s.posX = static_cast<int>(editor()->caretColumn());
    s.posY = static_cast<int>(editor()->caretLine());
    s.urls = urls_;
    s.recentFiles = recentFiles_;
    return s;
}

void MainWindow::saveOnClose() {
    session_->close();
    sessionTimer_->stop();
    waitingForDictionaries_ = false;
    // A write under way ends first, so the older text never lands over the newer one.
    if (autosave_) autosave_->stop();
    // Autosave may have written every change already.
    const bool writeText = textChanged_ && (!autosave_ || !autosave_->upToDate());
    const std::string dataDir = baseDir_ + "/data";
    std::error_code ec;
    if ((settingsChanged_ || writeText) && !std::filesystem::is_directory(dataDir, ec) &&
        !std::filesystem::create_directories(dataDir, ec)) {
        qCWarning(lcApp) << "cannot make" << dataDir.c_str() << ec.message().c_str();
        showCloseProblem(dataDir, ec.message());
        return;
    }
    // Each file is written whole or not at all; one failing does not keep the other from being
    // saved.
    std::string error;
    if (settingsChanged_) {
        const std::string path = SettingsPath(baseDir_);
        IniFile ini;
        bool ok = IniFile::Load(path, ini, &error);
        if (ok) {
            WriteSettings(ini, collectSettings());
            ok = ini.Save(path, &error);
        }
        if (!ok) {
            qCWarning(lcApp) << "cannot write" << path.c_str() << error.c_str();
            showCloseProblem(path, error);
        }
    }
    if (writeText) {
        const std::string path = TextPath(baseDir_);
        if (saveEditorDocument(path, &error)) {
            if (autosave_) autosave_->markSaved();
        } else {
            qCWarning(lcApp) << "cannot write" << path.c_str() << error.c_str();
            showCloseProblem(path, error);
        }
    }
}

void MainWindow::showCloseProblem(const std::string& path, const std::string& reason) {
    QString text = tr(kCloseProblem) + QString::fromStdString(path);
    if (!reason.empty()) text += QStringLiteral("\n\n") + QString::fromStdString(reason);
    showMessage(text);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        // A file still being read would replace the text after it is written.
        opener_->cancel();
        saveOnClose();
    }
    event->accept();
}

bool MainWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) activate();
    return QMainWindow::event(e);
}

// ---- Settings pages, font, Clear ----

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

void MainWindow::chooseFont() {
    settingsChanged_ = true;  // even when the dialog is cancelled
    QFont font = lastDialogFont_;
    ColorCode color = lastDialogColor_;
    if (!ChooseFont(this, font, color)) return;
    lastDialogFont_ = font;
    lastDialogColor_ = color;
    applyEditorFont(font, color);
}

void MainWindow::applyEditorFont(const QFont& font, ColorCode color) {
    fontColor_ = color;
    editor()->document()->setDefaultFont(font);
    editor()->setFont(font);
    QPalette p = editor()->palette();
    p.setColor(QPalette::Text, DisplayColor(color, palette()));
    editor()->setPalette(p);
    settingsPages_->font()->showFont(font, color);
}

void MainWindow::clearText() {
    editor()->replaceDocument([](QTextDocument&) { return true; });
    markTextChanged();
    showLineCount();
}

// ---- Reading ----

void MainWindow::sayToggled() {
    const bool down = toolBars_->action(Command::Say)->isChecked();
    if (!down) {
        waitingForDictionaries_ = false;
    } else if (!session_->running()) {
        if (refuseReadingWithoutSound()) return;
        // Read with every entry or not at all: the reading begins once the loaders are done.
        if (loadersRunning_ > 0) {
            waitingForDictionaries_ = true;
            statusBar_->setText(StatusPanel::Activity, tr("Loading data ..."));
            return;
        }
    }
    session_->sayToggled(down);
    if (session_->running())
        sessionTimer_->start();
    else
        sessionTimer_->stop();
}

bool MainWindow::refuseReadingWithoutSound() {
    const QString problem = settingsPages_->speech()->soundProblem();
    if (problem.isEmpty()) return false;
    toolBars_->action(Command::Say)->setChecked(false);
    waitingForDictionaries_ = false;
    if (session_->running()) {
        session_->sayToggled(false);
        sessionTimer_->stop();
    }
    showMessage(tr("No sound output is available (%1), so the text cannot be read "
                   "aloud. Check that the sound server is running (pactl info shows "
                   "it) and has an output device, then start Vernalo again.")
                    .arg(problem));
    return true;
}

void MainWindow::startDictionaryLoader(Language language) {
    statusBar_->setText(StatusPanel::Activity, tr("Loading data ..."));
    // " Ready " is shown here once every loader is done, not by each loader.
    auto* loader = vernalo::startDictionaryLoader(
        language, statusBar_->progress(), dictionaries_, {}, QString::fromStdString(baseDir_),
        options_.dictionaryDir.isEmpty() ? InstalledDictionaryDir() : options_.dictionaryDir, this);
    ++loadersRunning_;
    connect(loader, &DictionaryLoader::problem, this, &MainWindow::showMessage);
    connect(loader, &DictionaryLoader::loaded, this, &MainWindow::dictionaryLoaded);
}

void MainWindow::dictionaryLoaded() {
    if (--loadersRunning_ > 0) return;
    statusBar_->setText(StatusPanel::Activity, tr(" Ready "));
    if (!waitingForDictionaries_) return;
    waitingForDictionaries_ = false;
    if (!closed_ && toolBars_->action(Command::Say)->isChecked()) sayToggled();
}

}  // namespace vernalo
