#include "app/controllers/exportrun.h"

#include "readalong/epub3/readalongbook.h"
#include "readalong/subtitles/subtitlefiles.h"

namespace vernalo {

ExportRun::~ExportRun() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
}

bool ExportRun::start(ExportRequest request, DictionaryStore dictionaries,
                      std::optional<SubtitleFormat> subtitles) {
    return run([request = std::move(request), dictionaries = std::move(dictionaries), subtitles](
                   const Progress& progress, const std::atomic<bool>& cancel) {
        ExportResult result = ExportAudio(request, dictionaries, progress, cancel);
        if (subtitles) WriteSubtitlesBeside(*subtitles, request.text, result);
        return result;
    });
}

bool ExportRun::startBook(ReadAlongRequest request, DictionaryStore dictionaries) {
    return run([request = std::move(request), dictionaries = std::move(dictionaries)](
                   const Progress& progress, const std::atomic<bool>& cancel) {
        return ExportReadAlongBook(request, dictionaries, progress, cancel);
    });
}

bool ExportRun::run(std::function<ExportResult(const Progress&, const std::atomic<bool>&)> work) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    cancel_ = false;
    running_ = true;
    thread_ = std::thread([this, work = std::move(work)] {
        int shown = -1;
        ExportResult result = work(
            [this, &shown](double share) {
                const int percent = static_cast<int>(share * 100);
                if (percent == shown) return;
                shown = percent;
                QMetaObject::invokeMethod(
                    this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
            },
            cancel_);
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result)] {
                running_ = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

}  // namespace vernalo
