#pragma once
// Export audio: the save dialog (formats and the split length) and the export running beside
// the window's thread, reporting back to it.

#include <QObject>
#include <QString>
#include <atomic>
#include <optional>
#include <thread>

#include "export/audioexport.h"

class QWidget;

namespace vernalo {

struct ExportChoice {
    QString path;            // its suffix names one of the formats offered
    int splitMinutes = 0;    // 0: one file
    bool byChapter = false;  // one file per chapter instead
};

// Asks where to export and how long each file may be, or whether it is cut by chapters; none
// when the user cancels.
std::optional<ExportChoice> AskExportFile(QWidget* parent, const QString& folder);

// One export at a time on its own thread; progress and the end arrive on the owner's thread.
class ExportRun : public QObject {
    Q_OBJECT
public:
    explicit ExportRun(QObject* parent = nullptr) : QObject(parent) {}
    ~ExportRun() override;  // cancels and waits: no file is left half written

    // Starts on copies of the request and the dictionaries; false while one still runs.
    bool start(ExportRequest request, DictionaryStore dictionaries);
    void cancel() { cancel_ = true; }
    bool running() const { return running_; }

signals:
    void progress(int percent);
    void finished(const vernalo::ExportResult& result);

private:
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
};

}  // namespace vernalo
