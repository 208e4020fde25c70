#pragma once
// An export running beside the window's thread, reporting back to it.

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

#include "export/audioexport.h"
#include "readalong/epub3/readalongbook.h"
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
    // The same for a read-along book.
    bool startBook(ReadAlongRequest request, DictionaryStore dictionaries);
    void cancel() { cancel_ = true; }
    bool running() const { return running_; }

signals:
    void progress(int percent);
    void finished(const vernalo::ExportResult& result);

private:
    using Progress = std::function<void(double)>;
    bool run(std::function<ExportResult(const Progress&, const std::atomic<bool>&)> work);

    std::thread thread_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
};

}  // namespace vernalo
