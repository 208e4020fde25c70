#include "speech/driven/enginepool.h"

namespace vernalo {

std::shared_ptr<EnginePool> EnginePool::shared() {
    static std::mutex mutex;
    static std::weak_ptr<EnginePool> current;
    std::lock_guard lock(mutex);
    std::shared_ptr<EnginePool> pool = current.lock();
    if (!pool) {
        pool = std::make_shared<EnginePool>();
        current = pool;
    }
    return pool;
}

EnginePool::~EnginePool() {
    // Killed and reaped here, outside any lock of a caller.
    std::map<std::u16string, std::unique_ptr<Synthesizer>> idle;
    {
        std::lock_guard lock(mutex_);
        idle.swap(idle_);
    }
}

std::unique_ptr<Synthesizer> EnginePool::take(const DrivenMode& mode) {
    {
        std::lock_guard lock(mutex_);
        auto it = idle_.find(mode.speaker);
        if (it != idle_.end()) {
            std::unique_ptr<Synthesizer> engine = std::move(it->second);
            idle_.erase(it);
            return engine;
        }
    }
    return mode.make();
}

void EnginePool::give(const DrivenMode& mode, std::unique_ptr<Synthesizer> engine) {
    if (!engine) return;
    {
        std::lock_guard lock(mutex_);
        // An engine that never started (or quit) costs nothing to make again; a loaded one is
        // worth keeping, but only one per voice.
        auto& slot = idle_[mode.speaker];
        if (!slot || (slot->pid() == 0 && engine->pid() != 0)) std::swap(slot, engine);
    }
    // `engine`, when not kept, ends here, outside the lock.
}

std::vector<pid_t> EnginePool::idlePids() const {
    std::lock_guard lock(mutex_);
    std::vector<pid_t> pids;
    for (const auto& [speaker, engine] : idle_)
        if (engine && engine->pid() != 0) pids.push_back(engine->pid());
    return pids;
}

}  // namespace vernalo
