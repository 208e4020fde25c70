#pragma once
// The loaded engines nobody is using, one per voice at most, shared by the voices that read
// and the exports: an export of the window's text finds the voice the reading loaded (seconds
// for the Russian Festival voice) and borrows it instead of loading it again. The pool lives
// while a voice or an export holds it; its engines end with it.

#include <sys/types.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "speech/driven/drivenmode.h"

namespace vernalo {

class EnginePool {
public:
    // The pool of this process, made anew when nobody held the last one.
    static std::shared_ptr<EnginePool> shared();
    ~EnginePool();

    // An idle engine of the voice `mode` (loaded once it has spoken), else a new one that starts
    // at its first piece.
    std::unique_ptr<Synthesizer> take(const DrivenMode& mode);
    // Back after use. A voice keeps one idle engine; another given back ends at once.
    void give(const DrivenMode& mode, std::unique_ptr<Synthesizer> engine);
    // The processes of the idle engines.
    std::vector<pid_t> idlePids() const;

private:
    mutable std::mutex mutex_;
    std::map<std::u16string, std::unique_ptr<Synthesizer>> idle_;  // by speaker
};

}  // namespace vernalo
