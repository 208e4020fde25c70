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
#include "export/piecewriter.h"
#include "reading/headlessview.h"
#include "reading/segmenter.h"
#include "reading/sentenceend.h"
#include "speech/espeakengine.h"
#include "text/fileio.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

// How long the session waits at most for the engine to take a piece.
constexpr std::chrono::milliseconds kPoll{5};
constexpr std::chrono::milliseconds kNoWait{0};

// What both voices of an export share: the files, the engine's queue of pieces and the
// progress. The engine's worker writes and reports; the export's thread feeds the pieces.
struct Pipeline {
    Pipeline(AudioFileSet& f, const ExportRequest& r, const std::function<void(double)>& p,
             const std::atomic<bool>& c)
        : request(r),
          progress(p),
          cancel(c),
          writer(f, r),
          order(OrderedWrite(), OrderedDone()),
          secondProcess(r.secondProcess) {}

    const ExportRequest& request;
    const std::function<void(double)>& progress;
    const std::atomic<bool>& cancel;
    PieceWriter writer;

    std::mutex mutex;
    std::condition_variable changed;
    int pending = 0;  // pieces handed to the engine and not yet synthesized

    // The piece the session is about to speak, as the view was told of it; taken whole by the
    // voice, as the view tells the next repetition afresh. Whether a part may end before it and
    // the chapter it begins go with its first repetition only; a chapter with nothing spoken
    // gets no file, and the numbers go on without a gap.
    PieceOrder::Piece next;
    PieceOrder::Piece takePiece() { return std::exchange(next, {}); }

    // Why an installed engine could not read; set on the export's thread.
    std::string failure;

    // The built-in engine's pieces, made here or in the second process, reach the files in
    // order through this.
    PieceOrder order;
    // The language the program's own engine reads; the other one's pieces go to `second`.
    std::optional<Language> first;
    bool secondProcess;
    std::unique_ptr<EspeakChild> second;  // ends first: it writes through `order`

    // The pieces of the installed engines' voices, made in parallel, in their order.
    std::unique_ptr<ParallelSynthesis> driven;
    std::deque<PieceOrder::Piece> drivenPieces;

    void reportDone(const TextSpan& text) const {
        const double total = static_cast<double>(request.text.size());
        if (progress && total > 0) progress(double(text.start + text.length) / total);
    }
    PieceOrder::Write OrderedWrite() {
        return [this](const PieceOrder::Piece& piece, bool first, const std::int16_t* samples,
                      std::size_t count) {
            if (cancel) return;
            if (first) writer.begin(piece);
            writer.write(samples, count);
        };
    }
    PieceOrder::Finished OrderedDone() {
        return [this](const PieceOrder::Piece& piece, const std::vector<WordTime>& words) {
            writer.end(piece, words);
            reportDone(piece.text);
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
                [this](std::uint32_t piece, std::vector<WordTime> words) {
                    order.finish(piece, std::move(words));
                });
            std::string error;
            if (!second->start(&error)) secondProcess = false;
        }
        return secondProcess ? second.get() : nullptr;
    }
    std::string secondFailure() const { return second ? second->failure() : std::string(); }
};

void WriteDriven(Pipeline& p, bool all);

// Pieces the engine may have queued ahead of the one it synthesizes: enough that it never
// waits for the next, few enough that progress and cancel stay close to the sound.
constexpr int kPiecesAhead = 16;

// A voice that hands each piece to the engine and reports itself silent at once, so that the
// session cuts the next piece while the engine synthesizes this one; the engine's queue keeps
// the order of the pieces, whichever language they are in.
class QueuedSpeaker : public Speaker {
public:
    QueuedSpeaker(Pipeline& pipeline, ExportVoice voice, Language language)
        : pipeline_(pipeline),
          engine_(EspeakEngine::instance()),
          voice_(voice),
          language_(language) {}

    void speak(const std::u16string& text) override {
        const auto& modes = engine_.modes();
        if (text.empty() || modes.empty()) return;
        Pipeline& p = pipeline_;
        WriteDriven(p, true);  // the installed engines' pieces before this one
        EspeakEngine::Job job;
        job.owner = &p;
        const int count = static_cast<int>(modes.size());
        job.voice = modes[static_cast<std::size_t>(std::clamp(voice_.mode, 1, count) - 1)].voice;
        job.rate = static_cast<int>(std::lround(EspeakEngine::kNormalRate * voice_.speed / 100.0));
        job.text = Utf16ToUtf8(text);
        const std::uint32_t piece = p.order.add(p.takePiece());
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
        // The words are gathered on the engine's worker and handed over with the piece's end.
        auto words = std::make_shared<std::vector<WordTime>>();
        job.word = [words, offsets = CodePointOffsets(text)](int position, int length,
                                                             std::int64_t sample) {
            words->push_back(EspeakChild::WordAt(offsets, position, length, sample));
        };
        job.done = [&p, piece, words] { p.order.finish(piece, std::move(*words)); };
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
        const PieceOrder::Piece piece = std::move(p.drivenPieces.front());
        p.drivenPieces.pop_front();
        if (!done.error.empty()) {
            p.failure = done.error;
            return;
        }
        p.writer.begin(piece);
        p.writer.write(done.samples.data(), done.samples.size());
        std::vector<WordTime> words;
        for (const PieceWord& w : done.words)
            words.push_back({double(w.start) / kSampleRate, double(w.end) / kSampleRate,
                             w.span.offset, w.span.length});
        p.writer.end(piece, words);
        p.reportDone(piece.text);
    }
}

// A voice of an installed engine: its pieces are made on the threads of the pipeline's
// ParallelSynthesis, several at once, and written in the text's order.
class DrivenSpeaker : public Speaker {
public:
    DrivenSpeaker(Pipeline& pipeline, ExportVoice voice)
        : pipeline_(pipeline), voice_(std::move(voice)) {}

    // Busy only while enough pieces are queued: the session then waits.
    int speaking() const override {
        WriteDriven(pipeline_, false);
        return pipeline_.driven->outstanding() >= kPiecesAhead ? 1 : 0;
    }
    void audioReset() override {}

    void speak(const std::u16string& text) override {
        Pipeline& p = pipeline_;
        if (text.empty() || !p.failure.empty() || p.cancel) return;
        p.drivenPieces.push_back(p.takePiece());
        const TextSpan& span = p.drivenPieces.back().text;
        p.driven->add(*voice_.driven, voice_.speed, text, span.start + span.length);
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

// Every file's tags but its title and track.
AudioTags TagsOf(const ExportRequest& request, bool marked) {
    AudioTags tags;
    tags.album = request.album;
    tags.artist = request.artist;
    tags.language = request.book.language;
    tags.year = request.book.year;
    tags.cover = request.book.cover;
    tags.coverType = request.book.coverType;
    tags.chapterMarks = marked;
    return tags;
}

// Reads the whole text into the pipeline: the session cuts the pieces and hands them to the
// voices, which queue them as fast as their engines take them.
void ReadThrough(Pipeline& pipeline, AudioFileSet& files, const DictionaryStore& dictionaries) {
    const ExportRequest& request = pipeline.request;
    PerLanguage<std::unique_ptr<Speaker>> voices;
    for (Language l : kLanguages) {
        if (request.voices[l].driven && !pipeline.driven)
            pipeline.driven =
                std::make_unique<ParallelSynthesis>(ParallelSynthesis::ThreadsForExport());
        if (request.voices[l].driven)
            voices[l] = std::make_unique<DrivenSpeaker>(pipeline, request.voices[l]);
        else
            voices[l] = std::make_unique<QueuedSpeaker>(pipeline, request.voices[l], l);
    }
    ReadingOptions options = request.options;
    options.repeatText = false;
    options.pauseAfter = 0;  // the voices write the pauses into the files, not the clock
    HeadlessView view(request.text, options);
    const bool split = request.splitMinutes > 0 && request.chapters.empty();
    std::size_t nextChapter = 1;
    view.onPiece = [&](long start, long length) {
        if (length <= 0) return;
        pipeline.next.cut = split && EndsSentence(request.text, start);
        const auto& chapters = request.chapters;
        if (nextChapter >= chapters.size() || start < chapters[nextChapter].start) return;
        while (nextChapter + 1 < chapters.size() && start >= chapters[nextChapter + 1].start)
            ++nextChapter;
        pipeline.next.chapter = nextChapter++;
    };
    view.onSpoken = [&pipeline](const SpokenPiece& piece) {
        pipeline.next.text = {piece.start, piece.length};
        pipeline.next.language = piece.language;
        pipeline.next.repetition = piece.repetition;
        pipeline.next.map = piece.map;
    };
    Segmenter segmenter(dictionaries);
    const auto failed = [&files, &pipeline] {
        if (pipeline.failure.empty()) pipeline.failure = pipeline.secondFailure();
        return files.failed() || !pipeline.failure.empty();
    };
    ReadingSession session(
        view, {{voices[Language::Russian].get(), voices[Language::English].get()}}, segmenter);
    session.sayToggled(true);
    while (session.running() && !pipeline.cancel && !failed()) {
        session.tick();
        if (session.speaking()) {  // the engine has enough to do
            std::unique_lock lock(pipeline.mutex);
            pipeline.changed.wait_for(lock, kPoll, [&] { return pipeline.pending < kPiecesAhead; });
        }
    }
    session.close();
}

// Waits for the last pieces to be written, or stops them; after this no piece writes.
void Drain(Pipeline& pipeline, AudioFileSet& files) {
    WriteDriven(pipeline, true);
    // Cancel is looked at now and then, as nobody signals it.
    const auto stopped = [&] {
        return pipeline.cancel || files.failed() || !pipeline.failure.empty() ||
               !pipeline.secondFailure().empty();
    };
    {
        std::unique_lock lock(pipeline.mutex);
        while (pipeline.pending > 0 && !stopped())
            pipeline.changed.wait_for(lock, std::chrono::milliseconds(20));
    }
    if (stopped()) pipeline.order.stop();  // an engine waiting for its turn goes on
    EspeakEngine::instance().drain(&pipeline);
    pipeline.second.reset();
    pipeline.driven.reset();  // a piece still being made is interrupted
    if (pipeline.failure.empty()) pipeline.failure = pipeline.secondFailure();
}

}  // namespace

ExportResult ExportAudio(const ExportRequest& request, const DictionaryStore& dictionaries,
                         const std::function<void(double)>& progress,
                         const std::atomic<bool>& cancel) {
    ExportResult result;
    const AudioFormat* format = FormatForPath(request.path);
    if (!format) {
        result.error =
            "cannot write '" + request.path + "': the name should end in " + KnownSuffixes();
        return result;
    }
    EspeakEngine& engine = EspeakEngine::instance();
    if (engine.modes().empty()) {
        result.error = "cannot write '" + request.path + "': " + engine.error();
        return result;
    }
    const bool marked = request.chapterMarks && !request.chapters.empty();
    if (marked && !format->chapters) {
        result.error = "cannot write '" + request.path + "': " + format->name +
                       " files cannot hold chapter marks";
        return result;
    }
    const bool split = request.splitMinutes > 0 && request.chapters.empty();
    // A book in one file is titled as the book.
    const std::string stem = std::filesystem::path(request.path).stem().string();
    AudioFileSet files(request.path, *format,
                       marked && !request.album.empty() ? request.album : stem, split);
    files.setTags(TagsOf(request, marked));
    std::optional<NamedPart> first;
    if (!request.chapters.empty() && !marked) first = PieceWriter::ChapterPart(request, 0, 1);
    if (!files.open(&result.error, first)) return result;

    Pipeline pipeline(files, request, progress, cancel);
    pipeline.writer.opened();
    ReadThrough(pipeline, files, dictionaries);
    Drain(pipeline, files);
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
    pipeline.writer.finish();
    result.seconds = files.totalSeconds();
    if (!files.finish(&result.error)) return result;
    result.files = files.paths();
    result.timeline = files.timeline();
    if (!request.chapters.empty() && !marked && !WritePlaylist(request, files, result))
        return result;
    result.ok = true;
    if (progress) progress(1.0);
    return result;
}

}  // namespace vernalo
