#include "export/audioexport.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "export/espeakchild.h"
#include "export/parallelsynthesis.h"
#include "export/pieceorder.h"
#include "reading/segmenter.h"
#include "speech/driven/drivenvoice.h"
#include "speech/espeakengine.h"
#include "speech/soundspan.h"
#include "text/fileio.h"
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
constexpr std::chrono::milliseconds kNoWait{0};

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
        : files(f),
          request(r),
          progress(p),
          cancel(c),
          order(OrderedWrite(), OrderedDone()),
          secondProcess(r.secondProcess) {}

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
    // A chapter begins: taken by the next piece spoken, which starts its file. A chapter
    // with nothing spoken gets no file, and the numbers go on without a gap.
    std::optional<std::size_t> chapterCut;
    int track = 1;

    static NamedPart ChapterPart(const ExportRequest& r, std::size_t chapter, int track) {
        const std::filesystem::path p(r.path);
        const int width = std::max(2, static_cast<int>(std::to_string(r.chapters.size()).size()));
        const ExportChapter& c = r.chapters[chapter];
        return {(p.parent_path() / ChapterFileName(track, width, c.title, p.extension().string()))
                    .string(),
                c.title, track};
    }

    // Why an installed engine could not read; set on the export's thread.
    std::string failure;

    // The built-in engine's pieces, made here or in the second process, reach the files in
    // order through this.
    PieceOrder order;
    // The language the program's own engine reads; the other one's pieces go to `second`.
    std::optional<Language> first;
    bool secondProcess;
    std::unique_ptr<EspeakChild> second;  // ends first: it writes through `order`

    PieceOrder::Write OrderedWrite() {
        return [this](const PieceOrder::Piece& piece, bool first, const std::int16_t* samples,
                      std::size_t count) {
            if (cancel) return;
            if (first) startPiece(piece);
            writeAfterPause(samples, count, pieceSounded);
            pieceSpan.add(samples, count);
        };
    }
    PieceOrder::Finished OrderedDone() {
        return [this](const PieceOrder::Piece& piece) {
            endPiece(pieceSpan);
            pieceSpan = {};
            pieceSounded = false;
            const double total = static_cast<double>(request.text.size());
            if (progress && total > 0) progress(double(piece.end) / total);
            std::lock_guard lock(mutex);
            --pending;
            changed.notify_all();
        };
    }
    // The second process, started at its language's first piece; null when it cannot start
    // (the program's engine then reads both languages).
    EspeakChild* secondEngine(Language language) {
        if (!first) first = language;
        if (*first == language || !secondProcess) return nullptr;
        if (!second) {
            second = std::make_unique<EspeakChild>(
                [this](std::uint32_t piece, const std::int16_t* samples, std::size_t count) {
                    order.write(piece, samples, count);
                },
                [this](std::uint32_t piece) { order.finish(piece); });
            std::string error;
            if (!second->start(&error)) secondProcess = false;
        }
        return secondProcess ? second.get() : nullptr;
    }
    // Everything before this piece is in the files: a part may end here.
    void startPiece(const PieceOrder::Piece& piece) {
        if (piece.chapter) {
            payPause();
            files.nextPart(ChapterPart(request, *piece.chapter, ++track));
        } else if (piece.cut && request.splitMinutes > 0 &&
                   files.partSeconds() >= request.splitMinutes * 60) {
            payPause();
            files.nextPart();
        }
    }
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
    // Writes a piece's samples, paying the pause owed to the piece before it: the quiet the
    // engine puts before the first sound counts towards it, so the silence between two pieces
    // is the pause, not the pause and the next piece's lead-in.
    void writeAfterPause(const std::int16_t* samples, std::size_t count, bool& sounded) {
        if (!sounded && owedSilence > 0) {
            std::size_t quiet = 0;
            while (quiet < count && std::abs(samples[quiet]) <= SoundSpan::kAudible)
                ++quiet;
            files.write(samples, quiet);
            owedSilence = std::max<std::int64_t>(0, owedSilence - static_cast<std::int64_t>(quiet));
            if (quiet == count) return;
            payPause();
            samples += quiet;
            count -= quiet;
        }
        sounded = true;
        files.write(samples, count);
    }
    void endPiece(const SoundSpan& span) {
        owedSilence = std::max(owedSilence, span.pauseSamples(request.options.pauseAfter));
    }
    // The piece being written in order, for its pause.
    SoundSpan pieceSpan;
    bool pieceSounded = false;

    std::string secondFailure() const { return second ? second->failure() : std::string(); }

    // The pieces of the installed engines' voices, made in parallel; whether a part may end
    // before each, in their order.
    std::unique_ptr<ParallelSynthesis> driven;
    std::deque<PieceOrder::Piece> drivenCuts;
};

void WriteDriven(Pipeline& p, bool all);

// Pieces the engine may have queued ahead of the one it synthesizes: enough that it never
// waits for the next, few enough that progress and cancel stay close to the sound.
constexpr int kPiecesAhead = 16;

// A voice that hands each piece to the engine and reports itself silent at once, so that the
// session cuts the next piece while the engine synthesizes this one; the engine's queue keeps
// the order of the pieces, whichever language they are in.
class QueuedVoice : public Voice {
public:
    QueuedVoice(Pipeline& pipeline, ExportVoice voice, Language language)
        : pipeline_(pipeline),
          engine_(EspeakEngine::instance()),
          voice_(voice),
          language_(language) {}

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
        WriteDriven(p, true);  // the installed engines' pieces before this one
        EspeakEngine::Job job;
        job.owner = &p;
        job.voice = mode_(voice_.mode).voice;
        job.rate = static_cast<int>(std::lround(EspeakEngine::kNormalRate * voice_.speed / 100.0));
        job.text = Utf16ToUtf8(text);
        const std::uint32_t piece = p.order.add(
            {std::exchange(p.cutBefore, false), p.pieceEnd, std::exchange(p.chapterCut, {})});
        {
            std::lock_guard lock(p.mutex);
            ++p.pending;
        }
        if (EspeakChild* second = p.secondEngine(language_)) {
            second->submit(piece, job.voice, job.rate, job.text);
            return;
        }
        job.chunk = [&p, piece](const std::int16_t* samples, std::size_t count) {
            if (p.cancel) return false;
            p.order.write(piece, samples, count);
            return true;
        };
        job.done = [&p, piece] { p.order.finish(piece); };
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
    Language language_;
};

// Writes the installed engines' pieces that are made, in their order, after the built-in
// engine's pieces queued before them; with `all`, waits until every one is written.
void WriteDriven(Pipeline& p, bool all) {
    while (p.driven && p.driven->outstanding() > 0 && !p.cancel && p.failure.empty()) {
        {
            std::unique_lock lock(p.mutex);
            if (p.pending > 0) {
                if (!all) return;
                p.changed.wait_for(lock, std::chrono::milliseconds(20));
                continue;
            }
        }
        ParallelSynthesis::Done done;
        if (!p.driven->takeReady(&done, all ? std::chrono::milliseconds(20) : kNoWait)) {
            if (!all) return;
            continue;
        }
        const PieceOrder::Piece piece = p.drivenCuts.front();
        p.drivenCuts.pop_front();
        if (!done.error.empty()) {
            p.failure = done.error;
            return;
        }
        p.startPiece(piece);
        bool sounded = false;
        p.writeAfterPause(done.samples.data(), done.samples.size(), sounded);
        SoundSpan span;
        span.add(done.samples.data(), done.samples.size());
        p.endPiece(span);
        const double total = static_cast<double>(p.request.text.size());
        if (p.progress && total > 0) p.progress(double(done.tag) / total);
    }
}

// A voice of an installed engine: its pieces are made on the threads of the pipeline's
// ParallelSynthesis, several at once, and written in the text's order.
class DrivenExportVoice : public Voice {
public:
    DrivenExportVoice(Pipeline& pipeline, ExportVoice voice)
        : pipeline_(pipeline), voice_(std::move(voice)) {}

    int modeCount() const override { return 1; }
    std::u16string modeName(int) const override { return voice_.driven->name; }
    std::u16string speaker(int) const override { return voice_.driven->speaker; }
    std::u16string productName(int) const override { return voice_.driven->product; }
    void select(int) override {}
    int speed() const override { return voice_.speed; }
    void setSpeed(int speed) override { voice_.speed = speed; }
    int minSpeed() const override { return kMinSpeed; }
    int maxSpeed() const override { return kMaxSpeed; }
    // Busy only while enough pieces are queued: the session then waits.
    int speaking() const override {
        WriteDriven(pipeline_, false);
        return pipeline_.driven->outstanding() >= kPiecesAhead ? 1 : 0;
    }
    void audioReset() override {}

    void speak(const std::u16string& text) override {
        Pipeline& p = pipeline_;
        if (text.empty() || !p.failure.empty() || p.cancel) return;
        p.drivenCuts.push_back(
            {std::exchange(p.cutBefore, false), p.pieceEnd, std::exchange(p.chapterCut, {})});
        p.driven->add(*voice_.driven, voice_.speed, text, p.pieceEnd);
        WriteDriven(p, false);
    }

private:
    Pipeline& pipeline_;
    ExportVoice voice_;
};

// The playlist of a chapter export, beside its files; on failure the files go too, as an
// export is whole or absent.
bool WritePlaylist(const ExportRequest& request, const AudioFileSet& files, ExportResult& result) {
    const std::filesystem::path p(request.path);
    const auto lengths = files.partLengths();
    std::vector<PlaylistEntry> entries;
    for (std::size_t i = 0; i < result.files.size() && i < lengths.size(); ++i)
        entries.push_back({std::filesystem::path(result.files[i]).filename().string(),
                           lengths[i].first, lengths[i].second});
    result.playlist = (p.parent_path() / (p.stem().string() + ".m3u")).string();
    std::string error;
    if (WriteFileAtomically(result.playlist, M3uPlaylist(entries), &error)) return true;
    for (const std::string& f : result.files)
        std::remove(f.c_str());
    result.files.clear();
    result.error = "cannot write '" + result.playlist + "': " + error;
    result.playlist.clear();
    return false;
}

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
    const bool split = request.splitMinutes > 0 && request.chapters.empty();
    AudioFileSet files(request.path, *format, std::filesystem::path(request.path).stem().string(),
                       split);
    files.setAlbum(request.album);
    std::optional<NamedPart> first;
    if (!request.chapters.empty()) first = Pipeline::ChapterPart(request, 0, 1);
    if (!files.open(&result.error, first)) return result;

    Pipeline pipeline(files, request, progress, cancel);
    PerLanguage<std::unique_ptr<Voice>> voices;
    for (Language l : kLanguages) {
        if (request.voices[l].driven && !pipeline.driven)
            pipeline.driven =
                std::make_unique<ParallelSynthesis>(ParallelSynthesis::ThreadsForExport());
        if (request.voices[l].driven)
            voices[l] = std::make_unique<DrivenExportVoice>(pipeline, request.voices[l]);
        else
            voices[l] = std::make_unique<QueuedVoice>(pipeline, request.voices[l], l);
    }
    ReadingOptions options = request.options;
    options.repeatText = false;
    options.pauseAfter = 0;  // the voices write the pauses into the files, not the clock
    HeadlessView view(request.text, options);
    std::size_t nextChapter = 1;
    view.onPiece = [&](long start, long length) {
        if (length <= 0) return;
        pipeline.pieceEnd = start + length;
        pipeline.cutBefore = split && EndsSentence(request.text, start);
        const auto& chapters = request.chapters;
        if (nextChapter >= chapters.size() || start < chapters[nextChapter].start) return;
        while (nextChapter + 1 < chapters.size() && start >= chapters[nextChapter + 1].start)
            ++nextChapter;
        pipeline.chapterCut = nextChapter++;
    };
    Segmenter segmenter(dictionaries);
    const auto failed = [&files, &pipeline] {
        if (pipeline.failure.empty()) pipeline.failure = pipeline.secondFailure();
        return files.failed() || !pipeline.failure.empty();
    };
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
    WriteDriven(pipeline, true);
    // The last pieces are synthesized; cancel is looked at now and then, as nobody signals it.
    {
        std::unique_lock lock(pipeline.mutex);
        while (pipeline.pending > 0 && !cancel && !failed())
            pipeline.changed.wait_for(lock, std::chrono::milliseconds(20));
    }
    if (cancel || failed()) pipeline.order.stop();  // an engine waiting for its turn goes on
    engine.drain(&pipeline);                        // no piece writes after this
    pipeline.second.reset();
    pipeline.driven.reset();  // a piece still being made is interrupted
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
    if (!request.chapters.empty() && !WritePlaylist(request, files, result)) return result;
    result.ok = true;
    if (progress) progress(1.0);
    return result;
}

}  // namespace vernalo
