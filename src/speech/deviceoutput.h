#pragma once
// The sound device's output for the life of the voices: when the device could not be opened
// or was lost, the sound goes nowhere in real time (as NullOutput plays it) until Reopen finds
// a device again. Counts its samples on across devices, so that a voice's word marks hold.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "speech/audiooutput.h"

namespace vernalo {

class DeviceOutput : public PlaybackOutput {
public:
    // Opens an output on the device, or gives nullptr with `error` set.
    using Opener = std::function<std::unique_ptr<PlaybackOutput>(std::string* error)>;

    // Opens the device with `open`; `error` says why when it could not.
    DeviceOutput(Opener open, std::string* error);
    ~DeviceOutput() override;

    void write(const std::int16_t* samples, std::size_t count) override;
    bool playing() const override;
    void reset() override;
    void flush() override;
    std::optional<std::int64_t> heard() const override;
    std::chrono::milliseconds handOver() const override;
    // On one thread at a time; tells Back when it opened a device.
    bool reopen(std::string* error) override;

private:
    // Makes `device` the one played on; the one before, which no longer reports, is given back.
    std::unique_ptr<PlaybackOutput> adopt(std::unique_ptr<PlaybackOutput> device, bool lost);

    Opener open_;
    // Guards the device and the counts; never needed by a device's report.
    mutable std::mutex mutex_;
    std::unique_ptr<PlaybackOutput> device_;  // a NullOutput while there is none
    std::int64_t before_ = 0;                 // samples given to the devices before it
    std::int64_t written_ = 0;                // samples given to it
    // There is no device, or it failed; set by its report, on its audio thread.
    std::atomic<bool> lost_{false};
};

}  // namespace vernalo
