#include "speech/audiooutput.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vernalo {

void PlaybackOutput::setListener(OutputListener listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

void PlaybackOutput::tellLost(const std::string& why) const {
    std::lock_guard lock(listenerMutex_);
    if (listener_.lost) listener_.lost(why);
}

void PlaybackOutput::tellBack() const {
    std::lock_guard lock(listenerMutex_);
    if (listener_.back) listener_.back();
}

void NullOutput::write(const std::int16_t*, std::size_t count) {
    const auto duration = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(count) / kSampleRate));
    std::lock_guard lock(mutex_);
    end_ = std::max(end_, Clock::now()) + duration;
    written_ += static_cast<std::int64_t>(count);
}

bool NullOutput::playing() const {
    std::lock_guard lock(mutex_);
    return Clock::now() < end_;
}

std::int64_t NullOutput::unheard() const {
    std::lock_guard lock(mutex_);
    const double left = std::chrono::duration<double>(end_ - Clock::now()).count();
    return left <= 0 ? 0 : std::min(written_, static_cast<std::int64_t>(left * kSampleRate));
}

std::optional<std::int64_t> NullOutput::heard() const {
    const std::int64_t left = unheard();
    std::lock_guard lock(mutex_);
    return written_ - left;
}

void NullOutput::reset() {
    std::lock_guard lock(mutex_);
    end_ = Clock::time_point{};
}

double Rms(const std::int16_t* samples, std::size_t count) {
    if (count == 0) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(count));
}

}  // namespace vernalo
