#pragma once
// Export audio: the text as Say would read it, written to sound files on another thread while
// the window goes on; the status bar shows how far, and Esc or its button cancels.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <optional>

#include <QPushButton>
#include <QShortcut>

#include "app/controllers/exportrun.h"
#include "app/controllers/windowparts.h"
#include "export/chapters.h"

namespace vernalo {

class ReadingController;

class ExportController : public QObject {
    Q_OBJECT
public:
    ExportController(const WindowParts& parts, ReadingController& reading,
                     QObject* parent = nullptr);

    // Asks for the file and the split, then starts as startExport does.
    void exportAudio();
    // Exports the selection, or else the whole text, as Say would read it; false while an
    // export runs. `byChapter`: one file per top-level heading, with a playlist;
    // `chapterMarks`: one file marking where each begins, refused with a message for a format
    // that cannot hold them; `subtitles`: beside each file.
    bool startExport(const QString& path, int splitMinutes, bool byChapter = false,
                     bool chapterMarks = false,
                     std::optional<SubtitleFormat> subtitles = std::nullopt);
    // Asks for the file, then starts as startBook does.
    void exportBook();
    // Exports the whole document as a read-along book (EPUB 3); false while an export runs.
    bool startBook(const QString& path);
    void cancelExport();
    bool exporting() const;

private:
    // Where an export is offered to go: `folder` set, the name returned (empty when none).
    QString suggestedName(QString* folder) const;
    void setUp();
    void exportFinished(const ExportResult& result);
    void showExporting(bool running);
    // The reading's options and the voices that write files, into `request`.
    void prepare(ExportRequest& request, const QString& path);
    // The status names the chapter being written and the time left, from these.
    void trackProgress(const QString& path, const ExportRequest& request,
                       const std::vector<HeadingMark>& headings);
    void showStarted(const QString& path);
    void showProgress(int percent);

    WindowParts parts_;
    ReadingController& reading_;
    ExportRun* exportRun_ = nullptr;
    QPushButton* exportCancel_ = nullptr;
    QShortcut* cancelShortcut_ = nullptr;
    QString exportNote_;  // which voices were replaced, told at the end
    QString lastExportFolder_;
    // The export under way, for its progress: its file's name, its text's length, its chapters
    // and how long it has run.
    QString exportName_;
    long exportLength_ = 0;
    std::vector<ExportChapter> exportChapters_;
    QElapsedTimer exportClock_;
};

}  // namespace vernalo
