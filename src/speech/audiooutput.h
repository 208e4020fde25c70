#pragma once
// Where synthesized speech is played as it is heard. Write may be called from the synthesis
// thread while Playing and Reset are called from the window's thread.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "speech/samplesink.h"

namespace vernalo {

// What a playback output tells about its device, on any thread (the audio thread, mostly).
struct OutputListener {
    // The device failed after it was opened: the output plays nowhere, in real time, until it
    // is reopened. Said at most once per device.
    std::function<void(const std::string& why)> lost;
    // A device was opened again after it was lost or missing: sound is heard again.
    std::function<void()> back;
};

class PlaybackOutput : public SampleSink {
public:
    // True while some written sample has not been played yet. A device output may say false
    // for the last HandOver of its sound, which the next sound takes to start.
    virtual bool playing() const = 0;
    // Silences the output at once and drops everything queued; such a last moment may play out.
    virtual void reset() = 0;
    // No more samples follow for now: an output that holds back a short stretch, hoping for
    // more of it, plays it at once.
    virtual void flush() {}
    // How many of the samples ever written have been heard by now or dropped by Reset; none
    // from an output that cannot tell.
    virtual std::optional<std::int64_t> heard() const { return std::nullopt; }
    // How long before its last sample is heard a sound is over for its writer (Playing turns
    // false): the next sound, handed over then, takes about as long to be heard, so the two
    // follow without a gap.
    virtual std::chrono::milliseconds handOver() const { return {}; }
    // Opens the device again when it was lost or could not be opened (a sound server started
    // or a device plugged in since), dropping what was queued; true when sound is heard now,
    // else false with `error` set. An output with no device to lose has nothing to reopen.
    virtual bool reopen(std::string* error) {
        (void)error;
        return true;
    }

    // Sets the listener, or clears it with an empty one. The listener is called under a lock
    // this takes too: once it returns, the listener replaced is not running and never runs
    // again. So a listener must not set the listener.
    void setListener(OutputListener listener);

protected:
    void tellLost(const std::string& why) const;
    void tellBack() const;

private:
    mutable std::mutex listenerMutex_;
    OutputListener listener_;
};

// Stands in for a device: consumes the audio in real time and plays it nowhere, so that
// Playing behaves as it would with a sound card.
class NullOutput : public PlaybackOutput {
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
