#include "export/parallelsynthesis.h"

#include <algorithm>

#include "text/textcodec.h"

namespace vernalo {

namespace {

// Pieces of one voice waiting for a thread before a thread without that voice loads it too:
// loading the Russian Festival voice takes seconds and half a gigabyte.
constexpr std::size_t kBacklogForAnotherEngine = 6;
// Engines of one voice at most: two keep both cores busy on a text of one language.
constexpr std::size_t kEnginesPerVoice = 2;

}  // namespace

ParallelSynthesis::ParallelSynthesis(int threads) {
    for (int i = 0; i < std::max(1, threads); ++i) {
        Worker& worker = workers_.emplace_back();
        worker.thread = std::thread([this, &worker] { run(worker); });
    }
}

ParallelSynthesis::~ParallelSynthesis() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        for (Worker& w : workers_)
            if (w.busy) w.busy->interrupt();
    }
    wake_.notify_all();
    for (Worker& w : workers_)
        w.thread.join();
    for (Worker& w : workers_)
        for (auto& [mode, engine] : w.engines)
            pool_->give(*mode, std::move(engine));
}

int ParallelSynthesis::ThreadsForExport() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2u, 4u));
}

void ParallelSynthesis::add(const DrivenMode& mode, int speed, std::u16string text, long tag) {
    std::lock_guard lock(mutex_);
    auto known = std::find_if(modes_.begin(), modes_.end(),
                              [&](const DrivenMode& m) { return m.speaker == mode.speaker; });
    const DrivenMode* m = known != modes_.end() ? &*known : &modes_.emplace_back(mode);
    jobs_.push_back(Job{m, speed, Utf16ToUtf8(text), tag, false, false, {}, {}});
    wake_.notify_all();
}

std::size_t ParallelSynthesis::outstanding() const {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

bool ParallelSynthesis::takeReady(Done* done, std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (!made_.wait_for(lock, wait, [this] { return !jobs_.empty() && jobs_.front().done; }))
        return false;
    Job& job = jobs_.front();
    done->samples = std::move(job.made.samples);
    done->words = std::move(job.made.words);
    done->tag = job.tag;
    done->error = std::move(job.error);
    jobs_.pop_front();
    return true;
}

std::deque<ParallelSynthesis::Job>::iterator ParallelSynthesis::choose(const Worker& worker) {
    const auto loaded = [](const Worker& w, const DrivenMode* mode) {
        return std::any_of(w.engines.begin(), w.engines.end(),
                           [mode](const auto& e) { return e.first == mode; });
    };
    auto first = std::find_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return !j.started; });
    if (first == jobs_.end()) return first;
    // A voice this thread has loaded first, even a few pieces on.
    auto own = std::find_if(first, jobs_.end(),
                            [&](const Job& j) { return !j.started && loaded(worker, j.mode); });
    if (own != jobs_.end()) return own;
    const auto engines = static_cast<std::size_t>(std::count_if(
        workers_.begin(), workers_.end(), [&](const Worker& w) { return loaded(w, first->mode); }));
    const auto backlog = static_cast<std::size_t>(std::count_if(
        first, jobs_.end(), [&](const Job& j) { return !j.started && j.mode == first->mode; }));
    const bool another = engines < kEnginesPerVoice && backlog >= kBacklogForAnotherEngine;
    return engines == 0 || another ? first : jobs_.end();
}

void ParallelSynthesis::run(Worker& worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
        auto next = jobs_.end();
        wake_.wait(lock, [&] {
            next = choose(worker);
            return stop_ || next != jobs_.end();
        });
        if (stop_) return;
        next->started = true;
        Job* job = &*next;  // a deque keeps its elements in place while the front is popped
        lock.unlock();
        SynthesizedPiece made;
        std::string error;
        const bool ok = synthesize(worker, *job, &made, &error);
        lock.lock();
        job->made = std::move(made);
        if (!ok)
            job->error =
                "the speech engine " + Utf16ToUtf8(job->mode->product) + " failed: " + error;
        job->done = true;
        made_.notify_all();
        // Another thread may now find the voice loaded here, or its backlog shorter.
        wake_.notify_all();
    }
}

bool ParallelSynthesis::synthesize(Worker& worker, Job& job, SynthesizedPiece* made,
                                   std::string* error) {
    auto slot = std::find_if(worker.engines.begin(), worker.engines.end(),
                             [&](const auto& e) { return e.first == job.mode; });
    if (slot == worker.engines.end()) {
        auto engine = pool_->take(*job.mode);
        std::lock_guard lock(mutex_);
        worker.engines.emplace_back(job.mode, std::move(engine));
        slot = std::prev(worker.engines.end());
    }
    EngineTurns turns;
    turns.take = [&](int) -> Synthesizer* {
        std::lock_guard lock(mutex_);
        if (stop_) return nullptr;
        // After a failure the engine is made afresh.
        if (!slot->second) slot->second = job.mode->make();
        worker.busy = slot->second.get();
        return worker.busy;
    };
    turns.done = [&](bool ok) {
        std::unique_ptr<Synthesizer> failed;
        std::lock_guard lock(mutex_);
        worker.busy = nullptr;
        if (!ok) failed = std::move(slot->second);
        return true;
    };
    // The engine's lead-in stays: the exported files keep the sound as it was made.
    return SynthesizePiece(job.utf8, job.speed, turns, false, made, error);
}

}  // namespace vernalo
