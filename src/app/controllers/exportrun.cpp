#include "app/controllers/exportrun.h"

#include "readalong/subtitles/subtitlefiles.h"

namespace vernalo {

ExportRun::~ExportRun() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
}

bool ExportRun::start(ExportRequest request, DictionaryStore dictionaries,
                      std::optional<SubtitleFormat> subtitles) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    cancel_ = false;
    running_ = true;
    thread_ = std::thread(
        [this, request = std::move(request), dictionaries = std::move(dictionaries), subtitles] {
            int shown = -1;
            ExportResult result = ExportAudio(
                request, dictionaries,
                [this, &shown](double share) {
                    const int percent = static_cast<int>(share * 100);
                    if (percent == shown) return;
                    shown = percent;
                    QMetaObject::invokeMethod(
                        this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
                },
                cancel_);
            if (subtitles) WriteSubtitlesBeside(*subtitles, request.text, result);
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
