#pragma once
// The pieces of an export read by voices of installed engines, made on several threads at once
// (each thread with engines of its own) and handed back in the order they were added. A thread
// keeps to the voices it has loaded and loads another engine of a voice only when that voice's
// backlog is long, so that a short export does not pay for loading a voice twice, and never
// keeps more than two engines of a voice (the Russian Festival voice takes half a gigabyte).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "speech/driven/drivenmode.h"
#include "speech/driven/enginepool.h"
#include "speech/driven/piecesynthesis.h"

namespace vernalo {

class ParallelSynthesis {
public:
    // `threads` at least 1.
    explicit ParallelSynthesis(int threads);
    // Ends the threads (an engine busy on a piece is interrupted) and lends the engines still
    // loaded back to the pool.
    ~ParallelSynthesis();
    ParallelSynthesis(const ParallelSynthesis&) = delete;
    ParallelSynthesis& operator=(const ParallelSynthesis&) = delete;

    // Queues a piece; `tag` comes back with its sound.
    void add(const DrivenMode& mode, int speed, std::u16string text, long tag);
    // Pieces added and not yet taken.
    std::size_t outstanding() const;

    struct Done {
        std::vector<std::int16_t> samples;  // at kSampleRate
        std::vector<PieceWord> words;       // in `samples`, from an engine that tells them
        long tag = 0;
        std::string error;  // the engine failed twice: names it and says why
    };
    // The oldest piece not yet taken, once it is made (waiting for it up to `wait`); false
    // when it is not made by then.
    bool takeReady(Done* done, std::chrono::milliseconds wait = {});

    // Threads for an export on this machine: one per core, two at least and four at most.
    static int ThreadsForExport();

private:
    struct Job {
        const DrivenMode* mode;
        int speed;
        std::string utf8;
        long tag;
        bool started = false;
        bool done = false;
        SynthesizedPiece made;
        std::string error;
    };
    struct Worker {
        std::vector<std::pair<const DrivenMode*, std::unique_ptr<Synthesizer>>> engines;
        Synthesizer* busy = nullptr;  // interrupted by the destructor
        std::thread thread;
    };
    void run(Worker& worker);
    // The job the worker takes next, or jobs_.end().
    std::deque<Job>::iterator choose(const Worker& worker);
    bool synthesize(Worker& worker, Job& job, SynthesizedPiece* made, std::string* error);

    std::shared_ptr<EnginePool> pool_ = EnginePool::shared();
    // The modes added, kept at stable addresses for the jobs.
    std::deque<DrivenMode> modes_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable made_;
    std::deque<Job> jobs_;
    bool stop_ = false;
    std::deque<Worker> workers_;
};

}  // namespace vernalo
