#pragma once
// Pieces made by two engines at once reach the files in the text's order: the piece due next
// writes through as its sound comes, a later one waits in memory until its turn.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "reading/speechmap.h"
#include "speech/driven/pcm.h"
#include "text/language.h"

namespace vernalo {

class PieceOrder {
public:
    struct Piece {
        bool cut = false;  // a file may end before it
        TextSpan text;     // where it is in the text
        Language language = Language::Russian;
        int repetition = 0;                  // 0 the first time it is spoken
        SpeechMap map;                       // where its speech comes from, for its words
        std::optional<std::size_t> chapter;  // the chapter whose file begins with it
    };
    // `write` gets a piece's sound in order, `first` on its first samples; `finished` follows
    // its last. Both are called under this object's lock, from the thread that made the sound.
    using Write = std::function<void(const Piece&, bool first, const std::int16_t*, std::size_t)>;
    // `words` are the times its voice told, if any.
    using Finished = std::function<void(const Piece&, const std::vector<WordTime>& words)>;

    PieceOrder(Write write, Finished finished)
        : write_(std::move(write)), finished_(std::move(finished)) {}

    // Numbers the next piece of the text.
    std::uint32_t add(Piece piece);
    // A later piece's sound waits in memory up to a limit; beyond it, its engine waits for
    // its turn too, so that one language's long piece does not pile up the other's sound.
    void write(std::uint32_t piece, const std::int16_t* samples, std::size_t count);
    void finish(std::uint32_t piece, std::vector<WordTime> words = {});
    // The export stops: no write waits any more, and none is passed on.
    void stop();

private:
    struct Entry {
        Piece piece;
        std::vector<std::int16_t> samples;  // waiting for its turn
        std::vector<WordTime> words;
        bool started = false;
        bool done = false;
    };
    void pass(Entry& e, const std::int16_t* samples, std::size_t count);

    Write write_;
    Finished finished_;
    std::mutex mutex_;
    std::condition_variable room_;
    std::deque<Entry> entries_;  // from the piece due next
    std::uint32_t head_ = 0;     // the number of entries_.front()
    std::size_t waiting_ = 0;    // samples of later pieces held
    bool stopped_ = false;
};

}  // namespace vernalo
