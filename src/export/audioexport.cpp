#include "export/audioexport.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "reading/segmenter.h"
#include "speech/espeakengine.h"

namespace vernalo {

namespace {

bool IsWordCharacter(char16_t c) {
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    return c >= 0xC0 && !(c >= 0x2000 && c <= 0x206F);  // not the general punctuation block
}

bool IsStop(char16_t c) {
    return c == u'.' || c == u'!' || c == u'?' || c == u'\u2026';
}

// How long the loop waits for the engine between passes: short, since the file takes the
// audio as fast as it comes.
constexpr std::chrono::microseconds kPoll{200};

}  // namespace

bool EndsSentence(const std::u16string& text, long position) {
    const long size = static_cast<long>(text.size());
    long from = std::clamp(position, 0L, size);
    long to = from;
    while (from > 0 && !IsWordCharacter(text[static_cast<std::size_t>(from - 1)]))
        --from;
    while (to < size && !IsWordCharacter(text[static_cast<std::size_t>(to)]))
        ++to;
    bool stop = false;
    for (long i = from; i < to; ++i) {
        const char16_t c = text[static_cast<std::size_t>(i)];
        if (c == u'\n' || c == u'\r' || c == u'\u2029') return true;
        if (IsStop(c)) stop = true;
        if (stop && (c == u' ' || c == u'\t' || c == u'\u00A0')) return true;
    }
    return from == 0 || to == size;
}

ExportResult ExportAudio(const ExportRequest& request, const DictionaryStore& dictionaries,
                         const std::function<void(double)>& progress,
                         const std::atomic<bool>& cancel) {
    ExportResult result;
    const auto format = FormatForPath(request.path);
    if (!format) {
        result.error = "cannot write '" + request.path + "': the name should end in " +
                       std::string(KnownSuffixes());
        return result;
    }
    EspeakEngine& engine = EspeakEngine::Instance();
    if (engine.Modes().empty()) {
        result.error = engine.Error();
        return result;
    }
    const bool split = request.splitMinutes > 0;
    AudioFileSet files(request.path, *format, std::filesystem::path(request.path).stem().string(),
                       split);
    if (!files.Open(&result.error)) return result;

    PerLanguage<std::unique_ptr<EspeakVoice>> made;
    for (Language l : kLanguages) {
        made[l] = std::make_unique<EspeakVoice>(std::make_unique<FileShare>(files),
                                                request.voices[l].mode);
        made[l]->SetSpeed(request.voices[l].speed);
    }
    ReadingOptions options = request.options;
    options.repeatText = false;
    HeadlessView view(request.text, options);
    const double total = static_cast<double>(request.text.size());
    std::string splitError;
    view.onPiece = [&](long start, long length) {
        if (length <= 0) return;
        // Between pieces both voices are silent and everything before is in the file.
        if (split && splitError.empty() && files.PartSeconds() >= request.splitMinutes * 60 &&
            EndsSentence(request.text, start))
            files.NextPart(&splitError);
        if (progress && total > 0) progress(double(start + length) / total);
    };
    Segmenter segmenter(dictionaries);
    {
        ReadingSession session(
            view, {{made[Language::Russian].get(), made[Language::English].get()}}, segmenter);
        session.sayToggled(true);
        while ((session.running() || session.speaking()) && !cancel && splitError.empty()) {
            session.tick();
            std::this_thread::sleep_for(kPoll);
        }
        session.close();
    }
    for (Language l : kLanguages)
        made[l].reset();  // no voice writes after this
    if (!splitError.empty()) {
        files.Abort();
        result.error = splitError;
        return result;
    }
    if (cancel) {
        files.Abort();
        result.cancelled = true;
        return result;
    }
    result.seconds = files.TotalSeconds();
    if (!files.Finish(&result.error)) return result;
    result.files = files.Paths();
    result.ok = true;
    if (progress) progress(1.0);
    return result;
}

}  // namespace vernalo
