#pragma once
// Sound as the engines hand it over, brought to what the audio outputs take.

#include <cstdint>
#include <string>
#include <vector>

namespace vernalo {

// When a word of the piece sounds, as its engine tells it: seconds from the start of the
// piece's sound, and where the word is in the piece's text (UTF-16 units).
struct WordTime {
    double start = 0;
    double end = 0;
    long offset = 0;
    long length = 0;
};

// 16-bit mono samples at `rate` (any number of channels is mixed down when read), and the
// times of their words from an engine that tells them.
struct Pcm {
    std::vector<std::int16_t> samples;
    int rate = 0;
    std::vector<WordTime> words;
};

// The samples of a RIFF WAV file's bytes (16-bit PCM); false with the reason otherwise. A
// stream written to a pipe may give 0 or -1 as its sizes: the data then runs to the end.
bool ParseWav(const std::string& bytes, Pcm* pcm, std::string* error);

// Raw little-endian 16-bit samples at `rate`; an odd last byte is dropped.
Pcm RawSamples(const std::string& bytes, int rate);

// The speech `speed` percent as fast, its pitch kept (overlap-add of the stretches that match
// best): for engines that cannot change their rate themselves.
std::vector<std::int16_t> TimeStretched(const std::vector<std::int16_t>& samples, int rate,
                                        int speed);

// How many samples of the silence an engine puts before the speech may go, keeping `keep`: a
// reading starts to sound sooner, and the silence after the piece before is pause enough.
std::size_t LeadingSilence(const std::vector<std::int16_t>& samples, std::size_t keep);

// The samples at `rate`, resampled when theirs differs.
std::vector<std::int16_t> Resampled(const Pcm& pcm, int rate);

}  // namespace vernalo
