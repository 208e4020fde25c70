#include "export/pieceorder.h"

#include "speech/audiooutput.h"

namespace vernalo {

namespace {

// A minute of sound: far more than two engines' pieces usually run ahead of each other.
constexpr std::size_t kMaxWaiting = std::size_t(kSampleRate) * 60;

}  // namespace

std::uint32_t PieceOrder::add(Piece piece) {
    std::lock_guard lock(mutex_);
    entries_.push_back({std::move(piece), {}, {}, false, false});
    return head_ + static_cast<std::uint32_t>(entries_.size() - 1);
}

void PieceOrder::pass(Entry& e, const std::int16_t* samples, std::size_t count) {
    if (count == 0) return;
    write_(e.piece, !e.started, samples, count);
    e.started = true;
}

void PieceOrder::write(std::uint32_t piece, const std::int16_t* samples, std::size_t count) {
    std::unique_lock lock(mutex_);
    // The piece due next is made by the other engine (each makes its pieces in order), which
    // never waits here: the wait ends.
    room_.wait(lock, [&] { return stopped_ || piece == head_ || waiting_ < kMaxWaiting; });
    const std::uint32_t at = piece - head_;
    if (stopped_ || at >= entries_.size()) return;
    Entry& e = entries_[at];
    if (at == 0) {
        pass(e, samples, count);
    } else {
        e.samples.insert(e.samples.end(), samples, samples + count);
        waiting_ += count;
    }
}

void PieceOrder::finish(std::uint32_t piece, std::vector<WordTime> words) {
    std::lock_guard lock(mutex_);
    const std::uint32_t at = piece - head_;
    if (stopped_ || at >= entries_.size()) return;
    entries_[at].done = true;
    entries_[at].words = std::move(words);
    // The pieces due next that are complete leave in order; the first one still being made
    // writes what it has and goes on writing through.
    while (!entries_.empty()) {
        Entry& e = entries_.front();
        pass(e, e.samples.data(), e.samples.size());
        waiting_ -= e.samples.size();
        e.samples = {};
        if (!e.done) break;
        finished_(e.piece, e.words);
        entries_.pop_front();
        ++head_;
    }
    room_.notify_all();
}

void PieceOrder::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    room_.notify_all();
}

}  // namespace vernalo
