#include "export/piecewriter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "export/audioexport.h"

namespace vernalo {

NamedPart PieceWriter::ChapterPart(const ExportRequest& r, std::size_t chapter, int track) {
    const std::filesystem::path p(r.path);
    const int width = std::max(2, static_cast<int>(std::to_string(r.chapters.size()).size()));
    const ExportChapter& c = r.chapters[chapter];
    return {
        (p.parent_path() / ChapterFileName(track, width, c.title, p.extension().string())).string(),
        c.title, track};
}

void PieceWriter::opened() {
    if (!request_.chapters.empty())
        files_.markChapter(request_.chapters.front().title, request_.chapters.front().start);
}

void PieceWriter::begin(const Piece& piece) {
    if (piece.chapter) {
        payPause();
        // Marked within the one file, or the start of the chapter's own.
        if (!request_.chapterMarks)
            files_.nextPart(ChapterPart(request_, *piece.chapter, ++track_));
        const ExportChapter& c = request_.chapters[*piece.chapter];
        files_.markChapter(c.title, c.start);
    } else if (piece.cut && request_.splitMinutes > 0 &&
               files_.partSeconds() >= request_.splitMinutes * 60) {
        payPause();
        files_.nextPart();
    }
    timed_ = {};
    timed_.text = piece.text;
    timed_.language = piece.language;
    timed_.repetition = piece.repetition;
    span_ = {};
    sounded_ = false;
    leadIn_ = 0;
}

void PieceWriter::payPause() {
    static const std::vector<std::int16_t> zeros(kSampleRate / 10, 0);
    while (owedSilence_ > 0) {
        const auto step =
            static_cast<std::size_t>(std::min<std::int64_t>(owedSilence_, zeros.size()));
        files_.write(zeros.data(), step);
        owedSilence_ -= static_cast<std::int64_t>(step);
    }
}

// The quiet the engine puts before a piece's first sound counts towards the pause owed to the
// piece before it, so the silence between two pieces is the pause, not the pause and the next
// piece's lead-in. The piece's place in the timeline starts with its sound, after that quiet,
// so that text shown beside the sound appears as it is heard.
void PieceWriter::write(const std::int16_t* samples, std::size_t count) {
    span_.add(samples, count);
    if (!sounded_) {
        std::size_t quiet = 0;
        while (quiet < count && std::abs(samples[quiet]) <= SoundSpan::kAudible)
            ++quiet;
        files_.write(samples, quiet);
        leadIn_ += static_cast<std::int64_t>(quiet);
        owedSilence_ = std::max<std::int64_t>(0, owedSilence_ - static_cast<std::int64_t>(quiet));
        if (quiet == count) return;
        payPause();
        samples += quiet;
        count -= quiet;
        sounded_ = true;
        files_.beginPiece(timed_);
    }
    files_.write(samples, count);
}

void PieceWriter::end(const Piece& piece, const std::vector<WordTime>& words) {
    if (!sounded_) files_.beginPiece(timed_);  // a piece without sound stands at its end
    owedSilence_ = std::max(owedSilence_, span_.pauseSamples(request_.options.pauseAfter));
    // A word whose end its voice did not tell lasts until the next one begins, or the piece ends.
    const std::int64_t length = span_.total() - leadIn_;
    const auto at = [this, length](double seconds) {
        return std::clamp<std::int64_t>(std::llround(seconds * kSampleRate) - leadIn_, 0, length);
    };
    std::vector<TimedWord> timed;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const WordTime& w = words[i];
        // A piece without a map is one word read as written: its words are all of it.
        const auto text =
            piece.map.empty() ? std::optional(piece.text) : piece.map.textOf(w.offset, w.length);
        if (!text) continue;
        const std::int64_t start = at(w.start);
        std::int64_t end = at(w.end);
        if (end <= start) end = i + 1 < words.size() ? at(words[i + 1].start) : length;
        timed.push_back({start, std::max(end, start), *text});
    }
    files_.endPiece(timed);
}

}  // namespace vernalo
