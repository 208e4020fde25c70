#pragma once
// The main window: makes the tool bars, the settings pages, the document pages and the status
// bar, and wires them to the controllers that hold the work and the state behind them
// (reading, persistence, document commands, export, media controls, texts from other programs).
//
// A new command: its Command and button in ToolBarRow (or only an item in WindowMenus), its
// work in the controller it belongs to, and its case in onCommand.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "app/controllers/autosave.h"
#include "app/pages/settingspages.h"
#include "app/window/documentpages.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"

namespace vernalo {

class ContentsController;
class ContentsPanel;
class DocumentCommands;
class ExportController;
class MediaBridge;
class PronunciationController;
class Messages;
class ReadingController;
class TextFromOutside;
class ReadingPlaces;
class SleepTimer;
class TrayIcon;
class WindowPersistence;

// The window's controllers, for the program's start and for tests that drive them.
struct WindowControllers {
    ReadingController& reading;
    WindowPersistence& persistence;
    DocumentCommands& documents;
    ExportController& exports;
    MediaBridge& media;
    TextFromOutside& outside;
    PronunciationController& pronunciation;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        std::string baseDir;       // empty: chosen as the program does at start
        bool showMessages = true;  // false: messages only go to onMessage (tests)
        // Every message box text also goes here (tests read them).
        std::function<void(const QString&)> onMessage;
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
    // Another start asked for this window: out of the tray or the task bar, to the front.
    void bringForward();
    // One of the three settings pages, its button down and the others up; or none.
    void showSettingsPage(SettingsPage page);

    WindowControllers controllers() const;
    TextEditor* editor() const { return documentPages_->editor(); }
    DocumentPages* documentPages() const { return documentPages_; }
    ContentsPanel* contentsPanel() const { return contentsPanel_; }
    QString statusText(StatusPanel panel) const { return statusBar_->text(panel); }
    SettingsPage settingsPage() const { return settingsPages_->current(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;

private:
    void onCommand(Command command);
    void onDocumentPageChosen(DocumentPage page);
    void activate();

    Options options_;
    bool closed_ = false;
    // The program lost the focus to another one since the window was last activated: coming
    // back puts the caret at the reading, while closing one of our own dialogs or menus
    // leaves the caret and the selection as they were. The first activation counts as a
    // coming back.
    bool returningFromOutside_ = true;
    ToolBarRow* toolBars_ = nullptr;
    SettingsPages* settingsPages_ = nullptr;
    DocumentPages* documentPages_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    TrayIcon* tray_ = nullptr;

    std::unique_ptr<Messages> messages_;
    ReadingController* reading_ = nullptr;
    WindowPersistence* persistence_ = nullptr;
    DocumentCommands* documents_ = nullptr;
    ExportController* exports_ = nullptr;
    MediaBridge* media_ = nullptr;
    TextFromOutside* outside_ = nullptr;
    ReadingPlaces* places_ = nullptr;
    ContentsPanel* contentsPanel_ = nullptr;
    ContentsController* contents_ = nullptr;
    PronunciationController* pronunciation_ = nullptr;
};

}  // namespace vernalo
