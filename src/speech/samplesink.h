#pragma once
// What takes synthesized speech, a file as much as a sound device: 16-bit mono PCM at
// kSampleRate.

#include <cstddef>
#include <cstdint>

namespace vernalo {

inline constexpr int kSampleRate = 22050;

class SampleSink {
public:
    virtual ~SampleSink() = default;
    // Takes samples after those written before.
    virtual void write(const std::int16_t* samples, std::size_t count) = 0;
};

}  // namespace vernalo
