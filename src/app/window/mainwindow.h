#pragma once
// The main window: wires the tool bars, the settings pages, the document pages and the status
// bar to the libraries that do the work (settings, documents, the reading session, speech).

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/controllers/autosave.h"
#include "app/pages/settingspages.h"
#include "app/window/documentpages.h"
#include "app/window/readingview.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"
#include "dict/dictionary.h"
#include "reading/readingsession.h"
#include "reading/segmenter.h"
#include "settings/colors.h"
#include "settings/settings.h"

class QMenu;
class QPushButton;
class QTimer;

namespace vernalo {

class BrowserPage;
class DocumentOpener;
class ExportRun;
struct ExportResult;
class MediaPlayerService;
class FindDialog;
class TrayIcon;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        std::string baseDir;       // empty: chosen as the program does at start
        bool showMessages = true;  // false: messages only go to onMessage (tests)
        // The two voices; empty: the built-in engine on the audio device.
        SettingsPages::VoiceFactory voices;
        // Where the shipped dictionaries are; empty: beside the installed program.
        QString dictionaryDir;
        // When the text is written while the user works.
        Autosave::Timing autosave;
    };

    explicit MainWindow(Options options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up after construction: settings, last text, voices, dictionaries. Problems are
    // collected and shown once by showStartupProblems, after the window is up.
    void startUp();
    void showStartupProblems();
    // The desktop's media controls reach the reading (false without a session bus).
    bool registerMediaControls();
    // Another start asked for this window: out of the tray or the task bar, to the front.
    void bringForward();

    // Every message box text also goes here (tests read them).
    std::function<void(const QString&)> onMessage;

    // The commands, as the tool bar and the pages run them.
    void clearText();
    void saveAs();
    void openFile();
    void pasteFromClipboard();
    void htmlToText();
    void findInText();
    void sayToggled();
    void showSettingsPage(SettingsPage page);
    void chooseFont();
    void recodeDosToWindows();
    // Export audio: asks for the file and the split, then starts as startExport does.
    void exportAudio();
    // Exports the selection, or else the whole text, as Say would read it, on another
    // thread; false while an export runs.
    bool startExport(const QString& path, int splitMinutes);
    void cancelExport();
    bool exporting() const;

    // Opens a document as Open does: a web page onto the browser page at once; anything else
    // is read into the editor in the background (openFinished tells when), cancelling an
    // open still running. What cannot be read leaves the editor unchanged, with a message.
    void openDocument(const QString& path);
    bool opening() const;
    // The editor's text, taken as HTML, becomes the formatted text it describes.
    void convertHtmlToRichText();
    // The page the browser shows, taken as HTML, becomes the editor's formatted text.
    void importBrowserPage();
    // The page the browser shows becomes the editor's text, as its source.
    void takeBrowserPageSource();
    void openInBrowserPage(const QString& path);
    // Selects the next match of the find dialog's text; false when there is none.
    bool findNext();
    void applyEditorFont(const QFont& font, ColorCode color);
    // The whole editor content to an RTF file, atomically.
    bool saveEditorDocument(const std::string& path, std::string* error);
    void startDictionaryLoader(Language language);

    bool textChanged() const { return textChanged_; }
    void setTextChanged(bool changed) { textChanged_ = changed; }
    // Every change of the text is written (by autosave or the close).
    bool textSaved() const { return autosave_->upToDate(); }
    Autosave& autosave() { return *autosave_; }
    // Say is down, waiting for dictionaries still loading before the reading starts.
    bool readingWaitsForDictionaries() const { return waitingForDictionaries_; }
    void markSettingsChanged() { settingsChanged_ = true; }
    const std::string& baseDir() const { return baseDir_; }
    DictionaryStore& dictionaries() { return dictionaries_; }
    Segmenter& segmenter() { return segmenter_; }
    ReadingSession& session() { return *session_; }
    TextEditor* editor() const { return documentPages_->editor(); }
    BrowserPage* browserPage() const { return documentPages_->browser(); }
    QString statusText(StatusPanel panel) const { return statusBar_->text(panel); }
    SettingsPage settingsPage() const { return settingsPages_->current(); }
    DocumentPages* documentPages() const { return documentPages_; }

    // The window as the reading session sees it.
    ReadingView& readingView() { return *readingView_; }

signals:
    // An open ended: ok is false when the file could not be read (a cancelled open says
    // nothing).
    void openFinished(const QString& path, bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;

private:
    void setupSession();
    void setupBrowserPage();
    void setupDocumentOpening();
    void setupMenus();
    // The file opened goes first in File > Open Recent (and the settings file).
    void rememberRecentFile(const QString& path);
    void fillRecentMenu();
    void showShortcuts();
    void showAbout();
    void setupMediaControls();
    void showMediaTitles();
    // Next and Previous of the media controls: the reading moves by one piece and goes on.
    void skipPiece(bool forward);
    void documentRead(const QString& path, QTextDocument* document);
    void documentRefused(const QString& path, const QString& message);
    void onCommand(Command command);
    void onDocumentPageChosen(DocumentPage page);
    void activate();
    void saveOnClose();
    void showMessage(const QString& text);
    // A file the close could not write: its path, then what the system said.
    void showCloseProblem(const std::string& path, const std::string& reason);
    void showLineCount();
    // The text changed: written at close, and by autosave meanwhile.
    void markTextChanged();
    // The whole text becomes `html` turned into formatted text, as one undoable step.
    void replaceWithHtml(const std::u16string& html);
    void dictionaryLoaded();
    // Say was pressed with no sound output: it comes back up with a message. False when
    // there is sound.
    bool refuseReadingWithoutSound();
    // The editor's text was replaced while Say is down: the reading stops, as releasing Say does.
    void stopReadingReplacedText();
    ReaderSettings collectSettings() const;
    void exportFinished(const ExportResult& result);
    void showExporting(bool running);

    Options options_;
    bool closed_ = false;
    bool settingsChanged_ = false;
    bool textChanged_ = false;
    std::string baseDir_;
    std::vector<std::u16string> urls_;  // the address list, kept for the settings file
    static constexpr std::size_t kRecentFiles = 10;
    std::vector<std::u16string> recentFiles_;  // the last files opened, the newest first
    QMenu* recentMenu_ = nullptr;
    std::vector<QString> startupProblems_;
    ColorCode fontColor_ = kWindowTextColor;
    QFont lastDialogFont_;
    ColorCode lastDialogColor_ = kWindowTextColor;

    DictionaryStore dictionaries_;
    Segmenter segmenter_{dictionaries_};
    std::unique_ptr<ReadingView> readingView_;
    std::unique_ptr<ReadingSession> session_;
    QTimer* sessionTimer_ = nullptr;
    int loadersRunning_ = 0;  // dictionary loaders whose entries are not in yet
    bool waitingForDictionaries_ = false;
    Autosave* autosave_ = nullptr;

    ToolBarRow* toolBars_ = nullptr;
    SettingsPages* settingsPages_ = nullptr;
    DocumentPages* documentPages_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    QPointer<FindDialog> findDialog_;
    DocumentOpener* opener_ = nullptr;
    MediaPlayerService* media_ = nullptr;
    std::set<long> pieceStarts_;  // where the pieces read since the text last changed begin
    TrayIcon* tray_ = nullptr;
    ExportRun* exportRun_ = nullptr;
    QPushButton* exportCancel_ = nullptr;
    QString exportNote_;  // which voices were replaced, told at the end
    QString lastExportFolder_;
};

// Texts the program shows.
inline const char kStartupProblem[] =
    QT_TRANSLATE_NOOP("vernalo::MainWindow", "You have very very big problems! :)");
inline const char kCloseProblem[] = QT_TRANSLATE_NOOP(
    "vernalo::MainWindow", "With searching comes loss And the presence of absence: ");

}  // namespace vernalo
