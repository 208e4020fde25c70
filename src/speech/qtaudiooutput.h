#pragma once
// Speech played through Qt Multimedia on the default output device.

#include <chrono>
#include <memory>
#include <string>

#include "speech/audiooutput.h"

namespace vernalo {

// The sink lives on a thread of its own, so that audio keeps flowing while the window is busy.
// Needs a QCoreApplication. When the device fails after it was opened, the audio is consumed
// in real time instead and the listener is told once; it cannot be opened again (DeviceOutput
// makes a new one).
class QtAudioOutput : public PlaybackOutput {
public:
    QtAudioOutput();
    ~QtAudioOutput() override;
    // Opens the default output device; false with `error` set when there is none.
    bool start(std::string* error);

    void write(const std::int16_t* samples, std::size_t count) override;
    bool playing() const override;
    void reset() override;
    void flush() override;
    std::optional<std::int64_t> heard() const override;
    std::chrono::milliseconds handOver() const override { return kHandOver; }
    // True while the device works; a failed one stays failed.
    bool reopen(std::string* error) override;

private:
    // The hand-over: the sound server starts a stream, an engine makes its first samples.
    static constexpr std::chrono::milliseconds kHandOver{12};

    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace vernalo
