#pragma once
// An export running beside the window's thread, reporting back to it.

#include <QObject>
#include <atomic>
#include <thread>

#include "export/audioexport.h"
#include "readalong/subtitles/subtitles.h"

namespace vernalo {

// One export at a time on its own thread; progress and the end arrive on the owner's thread.
class ExportRun : public QObject {
    Q_OBJECT
public:
    explicit ExportRun(QObject* parent = nullptr) : QObject(parent) {}
    ~ExportRun() override;  // cancels and waits: no file is left half written

    // Starts on copies of the request and the dictionaries; false while one still runs. With
    // `subtitles`, they are written beside the files once the sound is.
    bool start(ExportRequest request, DictionaryStore dictionaries,
               std::optional<SubtitleFormat> subtitles = std::nullopt);
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
