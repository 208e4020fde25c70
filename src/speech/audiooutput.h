#pragma once
// Where synthesized speech goes: 16-bit mono PCM at kSampleRate. Write may be called from
// the synthesis thread while Playing and Reset are called from the window's thread.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace vernalo {

inline constexpr int kSampleRate = 22050;

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Queues samples behind what is already queued.
    virtual void write(const std::int16_t* samples, std::size_t count) = 0;
    // True while some written sample has not been played yet. A device output may say false
    // for the last few milliseconds of its sound (QtAudioOutput::kHandOver), which the next
    // sound takes to start.
    virtual bool playing() const = 0;
    // Silences the output at once and drops everything queued; such a last moment may play out.
    virtual void reset() = 0;
    // No more samples follow for now: an output that holds back a short stretch, hoping for
    // more of it, plays it at once.
    virtual void flush() {}
    // How many of the samples ever written have been heard by now or dropped by Reset; none
    // from an output that cannot tell.
    virtual std::optional<std::int64_t> heard() const { return std::nullopt; }
    // Called (at most once, on any thread) when the output fails after it was made.
    std::function<void(const std::string&)> onError;
};

// Stands in for a device: consumes the audio in real time and plays it nowhere, so that
// Playing behaves as it would with a sound card.
class NullOutput : public AudioOutput {
public:
    void write(const std::int16_t* samples, std::size_t count) override;
    bool playing() const override;
    void reset() override;
    std::optional<std::int64_t> heard() const override;
    // How many written samples are still to be played.
    std::int64_t unheard() const;

protected:
    using Clock = std::chrono::steady_clock;
    mutable std::mutex mutex_;
    Clock::time_point end_{};  // when the last written sample will have been played
    std::int64_t written_ = 0;
};

// Root mean square of the samples, 0 for none: how loud a stretch of audio is.
double Rms(const std::int16_t* samples, std::size_t count);

}  // namespace vernalo
