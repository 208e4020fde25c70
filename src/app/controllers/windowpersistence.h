#pragma once
// What the window keeps between runs: the settings file and the last text. It restores them at
// start-up, notes what changed, writes the text while the user works (Autosave) and writes
// both at the close; it keeps the recent files and the browser's address list, which live
// only in the settings file.

#include <QFont>
#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "app/controllers/autosave.h"
#include "app/controllers/windowparts.h"
#include "settings/colors.h"
#include "settings/settings.h"

namespace vernalo {

class ReadingController;

class WindowPersistence : public QObject {
    Q_OBJECT
public:
    // `baseDir` empty: chosen as the program does at start.
    WindowPersistence(const WindowParts& parts, ReadingController& reading, std::string baseDir,
                      Autosave::Timing autosave, QObject* parent = nullptr);

    // Settings, last text, voices, dictionaries. Problems are collected and shown once by
    // showStartupProblems, after the window is up.
    void startUp();
    void showStartupProblems();
    // The settings and the text, where they changed; each file whole or not at all.
    void saveOnClose();

    // The text changed: written at close, and by autosave meanwhile.
    void markTextChanged();
    void markSettingsChanged() { settingsChanged_ = true; }
    bool textChanged() const { return textChanged_; }
    void setTextChanged(bool changed) { textChanged_ = changed; }
    // Every change of the text is written (by autosave or the close).
    bool textSaved() const { return autosave_->upToDate(); }
    Autosave& autosave() { return *autosave_; }
    const std::string& baseDir() const { return baseDir_; }

    // The editor's font and text colour, as the font page shows them and the settings keep.
    void applyEditorFont(const QFont& font, ColorCode color);
    // The file opened goes first in File > Open Recent (and the settings file).
    void rememberRecentFile(const QString& path);
    const std::vector<std::u16string>& recentFiles() const { return recentFiles_; }
    // "Read what I copy", kept in the settings file.
    bool readCopied() const { return readCopied_; }
    void setReadCopied(bool on);
    void clearRecentFiles();
    // Whether the Contents panel shows: read at start-up, written with the settings.
    bool contentsShown() const { return contentsShown_; }
    void setContentsShown(bool shown) { contentsShown_ = shown; }

signals:
    void recentFilesChanged();
    // At start-up, as the settings file had it, and at each change.
    void readCopiedChanged(bool on);

private:
    ReaderSettings collectSettings() const;
    // A file the close could not write: its path, then what the system said.
    void showCloseProblem(const std::string& path, const std::string& reason);
    void loadLastText();

    WindowParts parts_;
    ReadingController& reading_;
    std::string requestedBaseDir_;
    Autosave::Timing timing_;
    std::string baseDir_;
    bool settingsChanged_ = false;
    bool textChanged_ = false;
    bool contentsShown_ = false;
    std::vector<std::u16string> urls_;  // the address list, kept for the settings file
    static constexpr std::size_t kRecentFiles = 10;
    std::vector<std::u16string> recentFiles_;  // the last files opened, the newest first
    std::vector<QString> startupProblems_;
    ColorCode fontColor_ = kWindowTextColor;
    bool readCopied_ = false;
    Autosave* autosave_ = nullptr;
};

}  // namespace vernalo
