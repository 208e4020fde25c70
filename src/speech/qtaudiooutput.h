#pragma once
// Speech played through Qt Multimedia on the default output device.

#include <chrono>
#include <memory>
#include <string>

#include "speech/audiooutput.h"

namespace vernalo {

// The sink lives on a thread of its own, so that audio keeps flowing while the window is busy.
// Needs a QCoreApplication. When the device fails after it was opened, the audio is consumed
// in real time instead and OnError reports it once.
class QtAudioOutput : public AudioOutput {
public:
    // A sound is over for its writer this long before its last sample is heard: the next
    // one, handed over then, takes about as long to be heard (the sound server starts a
    // stream, an engine makes its first samples), so the two follow without a gap.
    static constexpr std::chrono::milliseconds kHandOver{12};

    QtAudioOutput();
    ~QtAudioOutput() override;
    // Opens the default output device; false with `error` set when there is none.
    bool start(std::string* error);

    void write(const std::int16_t* samples, std::size_t count) override;
    bool playing() const override;
    void reset() override;
    void flush() override;
    std::optional<std::int64_t> heard() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace vernalo
