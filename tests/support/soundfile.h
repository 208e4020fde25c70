#pragma once
// A sound file read back with libsndfile, as a player would read it: its samples, rate and
// title, and the loudness shape of its speech.

#include <sndfile.h>

#include <cmath>
#include <string>
#include <vector>

namespace vernalo::test {

struct Sound {
    bool valid = false;  // decoded, and mono
    int rate = 0;
    std::vector<float> samples;
    std::string title;
    std::string album;
    std::string track;

    double seconds() const { return rate ? double(samples.size()) / rate : 0; }
    // Loudness in windows of 10 ms: the shape of the speech.
    std::vector<double> envelope(std::size_t from, std::size_t to) const {
        std::vector<double> e;
        const std::size_t w = static_cast<std::size_t>(rate / 100);
        for (std::size_t i = from; i + w <= to; i += w) {
            double sum = 0;
            for (std::size_t k = i; k < i + w; ++k)
                sum += double(samples[k]) * samples[k];
            e.push_back(std::sqrt(sum / double(w)));
        }
        return e;
    }
    double rms() const {
        const auto e = envelope(0, samples.size());
        double sum = 0;
        for (double v : e)
            sum += v * v;
        return e.empty() ? 0 : std::sqrt(sum / double(e.size()));
    }
};

inline Sound Decode(const std::string& path) {
    Sound s;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return s;
    s.rate = info.samplerate;
    s.valid = info.channels == 1;
    if (const char* title = sf_get_string(f, SF_STR_TITLE)) s.title = title;
    if (const char* album = sf_get_string(f, SF_STR_ALBUM)) s.album = album;
    if (const char* track = sf_get_string(f, SF_STR_TRACKNUMBER)) s.track = track;
    std::vector<float> buf(4096);
    sf_count_t n;
    while ((n = sf_readf_float(f, buf.data(), static_cast<sf_count_t>(buf.size()))) > 0)
        s.samples.insert(s.samples.end(), buf.begin(), buf.begin() + n);
    sf_close(f);
    return s;
}

}  // namespace vernalo::test
