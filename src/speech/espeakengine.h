#pragma once
// The built-in engine: the espeak-ng library embedded in the process. The library holds one
// engine per process without a handle, so one worker thread owns every call to it; both
// synthesizer controls hand it jobs and it switches voice per job.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "speech/audiooutput.h"
#include "speech/voice.h"

namespace vernalo {

// The library's version, as it reports it ("1.51"); needs no engine.
std::string EspeakVersion();

// The UTF-16 offset of each code point of `text`, and one for its end.
std::vector<long> CodePointOffsets(const std::u16string& text);
// `text` when the engine is to be told its stress marks as phonemes in `voice`, else empty:
// Russian learning texts mark the stress.
std::u16string MarkedText(const std::string& voice, const std::u16string& text);

struct EspeakMode {
    std::string voice;  // the library's voice name, with a variant ("ru+f3")
    std::u16string name;
    std::u16string speaker;
};

class EspeakEngine {
public:
    // The process's engine, started on first use.
    static EspeakEngine& instance();
    ~EspeakEngine();

    // The voices found at start; empty when the engine could not start.
    const std::vector<EspeakMode>& modes() const { return modes_; }
    // Why the engine could not start, or empty.
    const std::string& error() const { return error_; }
    const std::u16string& productName() const { return product_; }

    struct Job {
        const void* owner = nullptr;
        std::string voice;
        int rate = 175;    // words per minute
        std::string text;  // UTF-8
        // The text with stress marks, when it has them: the engine is given it with each
        // marked word respelled in phonemes, and reports words in it as in `text`.
        std::u16string marked;
        // Gets each synthesized chunk on the worker; returning false abandons the job.
        std::function<bool(const std::int16_t*, std::size_t)> chunk;
        // Gets each word as the library reaches it, on the worker: its first character and
        // length in characters (code points) of Text, 0-based, and the sample of the job's
        // audio where its sound begins.
        std::function<void(int position, int length, std::int64_t sample)> word;
        // Runs on the worker after the last chunk unless the job was dropped or abandoned.
        std::function<void()> done;
        // When set, gets the phonemes the engine read the text with (its ASCII names).
        std::function<void(std::string)> phonemes;
    };
    void submit(Job job);
    // The phonemes the engine reads `text` with in `voice` (as speaking would: stress marks
    // included), after the jobs queued before; empty when the engine could not start.
    std::string phonemesOf(const std::string& voice, const std::u16string& text);
    // Drops the queued jobs of `owner`; a running one goes on until its Chunk says stop.
    void drop(const void* owner);
    // Drops the queued jobs of `owner` and waits until none of its jobs runs.
    void drain(const void* owner);

    // Runs `child` in a copy of this process made between two jobs, so that the copy's library
    // is ready and idle; the copy has the calling thread only and ends with what `child`
    // returns, without the program's exit handlers. Gives the copy's process id, or -1 (always
    // under AddressSanitizer, whose allocator a copy may find locked).
    int forkIdle(const std::function<int()>& child);
    // Synthesizes `job` with the library on the calling thread, selecting its voice unless
    // `voice` already names it: only for the worker, or a copy made by ForkIdle.
    static void synthesizeHere(Job& job, std::string& voice);

    // The library's own rate bounds and normal rate, in words per minute.
    static constexpr int kMinRate = 80;
    static constexpr int kMaxRate = 450;
    static constexpr int kNormalRate = 175;

private:
    EspeakEngine();
    void run();
    bool start();

    std::vector<EspeakMode> modes_;
    std::string error_;
    std::u16string product_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> queue_;
    const void* running_ = nullptr;
    bool stop_ = false;
    std::string currentVoice_;
    std::thread worker_;
};

}  // namespace vernalo
