#pragma once
// Where the sound is among samples as they are written: the stretch from the first to the last
// audible sample. An export's pause after a repetition (time for a learner to say it after the
// voice) lasts `factor` times that stretch; a voice tells how long its last text sounded.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace vernalo {

class SoundSpan {
public:
    static constexpr int kAudible = 300;  // about 1 % of full scale: above the engine's hiss

    void add(const std::int16_t* samples, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (std::abs(samples[i]) <= kAudible) continue;
            const std::int64_t at = total_ + static_cast<std::int64_t>(i);
            if (first_ < 0) first_ = at;
            last_ = at;
        }
        total_ += static_cast<std::int64_t>(count);
    }
    // The first and the last audible sample among those added, -1 before any; how many were
    // added.
    std::int64_t firstLoud() const { return first_; }
    std::int64_t lastLoud() const { return last_; }
    std::int64_t total() const { return total_; }
    // The silence still owed after the samples added: the quiet the engine left at their end
    // is part of the pause.
    std::int64_t pauseSamples(int factor) const {
        if (factor <= 0 || first_ < 0) return 0;
        return std::max<std::int64_t>(0, factor * (last_ - first_ + 1) - (total_ - 1 - last_));
    }

private:
    std::int64_t total_ = 0;
    std::int64_t first_ = -1, last_ = -1;
};

}  // namespace vernalo
