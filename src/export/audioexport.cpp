#include "export/audioexport.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "reading/segmenter.h"
#include "speech/driven/drivenvoice.h"
#include "speech/espeakengine.h"
#include "text/textcodec.h"

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

// How long the session waits at most for the engine to take a piece.
constexpr std::chrono::milliseconds kPoll{5};

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

namespace {

// What both voices of an export share: the files, the engine's queue of pieces and the
// progress. The engine's worker writes and reports; the export's thread feeds the pieces.
struct Pipeline {
    Pipeline(AudioFileSet& f, const ExportRequest& r, const std::function<void(double)>& p,
             const std::atomic<bool>& c)
        : files(f), request(r), progress(p), cancel(c) {}

    AudioFileSet& files;
    const ExportRequest& request;
    const std::function<void(double)>& progress;
    const std::atomic<bool>& cancel;

    std::mutex mutex;
    std::condition_variable changed;
    int pending = 0;  // pieces handed to the engine and not yet synthesized

    // Set for the piece shown last, taken by its first Speak.
    long pieceEnd = 0;
    bool cutBefore = false;

    // Why an installed engine could not read; set on the export's thread.
    std::string failure;

    // Silence owed after the last repetition, written before the next sound or at the end.
    std::int64_t owedSilence = 0;
    void payPause() {
        static const std::vector<std::int16_t> zeros(kSampleRate / 10, 0);
        while (owedSilence > 0) {
            const auto step =
                static_cast<std::size_t>(std::min<std::int64_t>(owedSilence, zeros.size()));
            files.write(zeros.data(), step);
            owedSilence -= static_cast<std::int64_t>(step);
        }
    }
};

// The sound of one repetition as it is written, for the pause after it: the pause lasts
// `factor` times the stretch from its first to its last audible sample.
class SoundSpan {
public:
    static constexpr int kAudible = 300;  // about 1 % of full scale: above the engine's hiss

    void add(const std::int16_t* samples, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (std::abs(samples[i]) <= kAudible) continue;
            const std::int64_t at = total_ + static_cast<std::int64_t>(i);
            if (first_ < 0) first_ = at;
            last_ = at;
        }
        total_ += static_cast<std::int64_t>(count);
    }
    // The silence still owed after the samples added: the quiet the engine left at their end
    // is part of the pause.
    std::int64_t pauseSamples(int factor) const {
        if (factor <= 0 || first_ < 0) return 0;
        return std::max<std::int64_t>(0, factor * (last_ - first_ + 1) - (total_ - 1 - last_));
    }

private:
    std::int64_t total_ = 0;
    std::int64_t first_ = -1, last_ = -1;
};

// Writes a piece's samples, paying the pause owed to the piece before it: the quiet the engine
// puts before the first sound counts towards it, so the silence between two pieces is the
// pause, not the pause and the next piece's lead-in.
void WriteAfterPause(Pipeline& p, const std::int16_t* samples, std::size_t count, bool& sounded) {
    if (!sounded && p.owedSilence > 0) {
        std::size_t quiet = 0;
        while (quiet < count && std::abs(samples[quiet]) <= SoundSpan::kAudible)
            ++quiet;
        p.files.write(samples, quiet);
        p.owedSilence = std::max<std::int64_t>(0, p.owedSilence - static_cast<std::int64_t>(quiet));
        if (quiet == count) return;
        p.payPause();
        samples += quiet;
        count -= quiet;
    }
    sounded = true;
    p.files.write(samples, count);
}

// Pieces the engine may have queued ahead of the one it synthesizes: enough that it never
// waits for the next, few enough that progress and cancel stay close to the sound.
constexpr int kPiecesAhead = 16;

// A voice that hands each piece to the engine and reports itself silent at once, so that the
// session cuts the next piece while the engine synthesizes this one; the engine's queue keeps
// the order of the pieces, whichever language they are in.
class QueuedVoice : public Voice {
public:
    QueuedVoice(Pipeline& pipeline, ExportVoice voice)
        : pipeline_(pipeline), engine_(EspeakEngine::instance()), voice_(voice) {}

    int modeCount() const override { return static_cast<int>(engine_.modes().size()); }
    std::u16string modeName(int mode) const override { return mode_(mode).name; }
    std::u16string speaker(int mode) const override { return mode_(mode).speaker; }
    std::u16string productName(int) const override { return engine_.productName(); }
    void select(int mode) override { voice_.mode = mode; }
    int speed() const override { return voice_.speed; }
    void setSpeed(int speed) override { voice_.speed = speed; }
    int minSpeed() const override { return kMinSpeed; }
    int maxSpeed() const override { return kMaxSpeed; }

    void speak(const std::u16string& text) override {
        if (text.empty() || modeCount() == 0) return;
        Pipeline& p = pipeline_;
        EspeakEngine::Job job;
        job.owner = &p;
        job.voice = mode_(voice_.mode).voice;
        job.rate = static_cast<int>(std::lround(EspeakEngine::kNormalRate * voice_.speed / 100.0));
        job.text = Utf16ToUtf8(text);
        const bool cut = std::exchange(p.cutBefore, false);
        const long end = p.pieceEnd;
        {
            std::lock_guard lock(p.mutex);
            ++p.pending;
        }
        auto first = std::make_shared<bool>(true);
        auto sounded = std::make_shared<bool>(false);
        auto span = std::make_shared<SoundSpan>();
        job.chunk = [&p, cut, first, sounded, span](const std::int16_t* samples,
                                                    std::size_t count) {
            if (p.cancel) return false;
            // Everything before this piece is in the files: a part may end here.
            if (cut && std::exchange(*first, false) && p.request.splitMinutes > 0 &&
                p.files.partSeconds() >= p.request.splitMinutes * 60) {
                p.payPause();
                p.files.nextPart();
            }
            WriteAfterPause(p, samples, count, *sounded);
            span->add(samples, count);
            return true;
        };
        job.done = [&p, end, span] {
            p.owedSilence =
                std::max(p.owedSilence, span->pauseSamples(p.request.options.pauseAfter));
            const double total = static_cast<double>(p.request.text.size());
            if (p.progress && total > 0) p.progress(double(end) / total);
            std::lock_guard lock(p.mutex);
            --p.pending;
            p.changed.notify_all();
        };
        engine_.submit(std::move(job));
    }
    // Busy only while the engine has enough queued: the session then waits.
    int speaking() const override {
        std::lock_guard lock(pipeline_.mutex);
        return pipeline_.pending >= kPiecesAhead ? 1 : 0;
    }
    // The pieces queued are the export: the session's reset of the other voice drops nothing.
    void audioReset() override {}

private:
    const EspeakMode& mode_(int mode) const {
        const auto& modes = engine_.modes();
        return modes[static_cast<std::size_t>(std::clamp(mode, 1, modeCount()) - 1)];
    }

    Pipeline& pipeline_;
    EspeakEngine& engine_;
    ExportVoice voice_;
};

// A voice of an installed engine. Its pieces are made on the export's thread once the built-in
// engine has written every piece before them, so that the files keep the text's order.
class DrivenExportVoice : public Voice {
public:
    DrivenExportVoice(Pipeline& pipeline, ExportVoice voice)
        : pipeline_(pipeline), voice_(std::move(voice)), engine_(voice_.driven->make()) {}

    int modeCount() const override { return 1; }
    std::u16string modeName(int) const override { return voice_.driven->name; }
    std::u16string speaker(int) const override { return voice_.driven->speaker; }
    std::u16string productName(int) const override { return voice_.driven->product; }
    void select(int) override {}
    int speed() const override { return voice_.speed; }
    void setSpeed(int speed) override { voice_.speed = speed; }
    int minSpeed() const override { return kMinSpeed; }
    int maxSpeed() const override { return kMaxSpeed; }
    int speaking() const override { return 0; }
    void audioReset() override {}

    void speak(const std::u16string& text) override {
        Pipeline& p = pipeline_;
        if (text.empty() || !p.failure.empty()) return;
        const bool cut = std::exchange(p.cutBefore, false);
        {
            std::unique_lock lock(p.mutex);
            while (p.pending > 0 && !p.cancel)
                p.changed.wait_for(lock, std::chrono::milliseconds(20));
        }
        if (p.cancel) return;
        Pcm pcm;
        std::string error;
        const std::string utf8 = Utf16ToUtf8(text);
        const auto deadline = [] {
            return std::chrono::steady_clock::now() + DrivenVoice::kPieceTimeout;
        };
        // An engine that died or hung gets one more chance, started afresh.
        if (!engine_->synthesize(utf8, voice_.speed, &pcm, &error, deadline())) {
            engine_ = voice_.driven->make();
            if (!engine_->synthesize(utf8, voice_.speed, &pcm, &error, deadline())) {
                p.failure = "the speech engine " + Utf16ToUtf8(voice_.driven->product) +
                            " failed: " + error;
                return;
            }
        }
        const std::vector<std::int16_t> samples = Resampled(pcm, kSampleRate);
        if (cut && p.request.splitMinutes > 0 &&
            p.files.partSeconds() >= p.request.splitMinutes * 60) {
            p.payPause();
            p.files.nextPart();
        }
        bool sounded = false;
        WriteAfterPause(p, samples.data(), samples.size(), sounded);
        SoundSpan span;
        span.add(samples.data(), samples.size());
        p.owedSilence = std::max(p.owedSilence, span.pauseSamples(p.request.options.pauseAfter));
        const double total = static_cast<double>(p.request.text.size());
        if (p.progress && total > 0) p.progress(double(p.pieceEnd) / total);
    }

private:
    Pipeline& pipeline_;
    ExportVoice voice_;
    std::unique_ptr<Synthesizer> engine_;
};

}  // namespace

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
    EspeakEngine& engine = EspeakEngine::instance();
    if (engine.modes().empty()) {
        result.error = "cannot write '" + request.path + "': " + engine.error();
        return result;
    }
    const bool split = request.splitMinutes > 0;
    AudioFileSet files(request.path, *format, std::filesystem::path(request.path).stem().string(),
                       split);
    if (!files.open(&result.error)) return result;

    Pipeline pipeline(files, request, progress, cancel);
    PerLanguage<std::unique_ptr<Voice>> voices;
    for (Language l : kLanguages) {
        if (request.voices[l].driven)
            voices[l] = std::make_unique<DrivenExportVoice>(pipeline, request.voices[l]);
        else
            voices[l] = std::make_unique<QueuedVoice>(pipeline, request.voices[l]);
    }
    ReadingOptions options = request.options;
    options.repeatText = false;
    options.pauseAfter = 0;  // the voices write the pauses into the files, not the clock
    HeadlessView view(request.text, options);
    view.onPiece = [&](long start, long length) {
        if (length <= 0) return;
        pipeline.pieceEnd = start + length;
        pipeline.cutBefore = split && EndsSentence(request.text, start);
    };
    Segmenter segmenter(dictionaries);
    const auto failed = [&files, &pipeline] { return files.failed() || !pipeline.failure.empty(); };
    {
        ReadingSession session(
            view, {{voices[Language::Russian].get(), voices[Language::English].get()}}, segmenter);
        session.sayToggled(true);
        while (session.running() && !cancel && !failed()) {
            session.tick();
            if (session.speaking()) {  // the engine has enough to do
                std::unique_lock lock(pipeline.mutex);
                pipeline.changed.wait_for(lock, kPoll,
                                          [&] { return pipeline.pending < kPiecesAhead; });
            }
        }
        session.close();
    }
    // The last pieces are synthesized; cancel is looked at now and then, as nobody signals it.
    {
        std::unique_lock lock(pipeline.mutex);
        while (pipeline.pending > 0 && !cancel && !files.failed())
            pipeline.changed.wait_for(lock, std::chrono::milliseconds(20));
    }
    engine.drain(&pipeline);  // no piece writes after this
    if (!pipeline.failure.empty()) {
        files.abort();
        result.error = "cannot write '" + request.path + "': " + pipeline.failure;
        return result;
    }
    if (cancel) {
        files.abort();
        result.cancelled = true;
        return result;
    }
    pipeline.payPause();  // the last piece is repeated after too
    result.seconds = files.totalSeconds();
    if (!files.finish(&result.error)) return result;
    result.files = files.paths();
    result.ok = true;
    if (progress) progress(1.0);
    return result;
}

}  // namespace vernalo
