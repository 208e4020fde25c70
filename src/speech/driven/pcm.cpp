#include "speech/driven/pcm.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vernalo {

namespace {

std::uint32_t Le32(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

std::uint16_t Le16(const std::string& b, std::size_t at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

}  // namespace

bool ParseWav(const std::string& b, Pcm* pcm, std::string* error) {
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        *error = "its output is no WAV sound";
        return false;
    }
    int channels = 0, bits = 0;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::string id = b.substr(at, 4);
        std::uint32_t size = Le32(b, at + 4);
        at += 8;
        if (id == "fmt " && at + 16 <= b.size()) {
            if (Le16(b, at) != 1) {
                *error = "its WAV sound is not plain PCM";
                return false;
            }
            channels = Le16(b, at + 2);
            pcm->rate = static_cast<int>(Le32(b, at + 4));
            bits = Le16(b, at + 14);
        } else if (id == "data") {
            if (channels < 1 || bits != 16 || pcm->rate <= 0) {
                *error = "its WAV sound is not 16-bit";
                return false;
            }
            const std::size_t end =
                (size == 0 || size == 0xFFFFFFFF || at + size > b.size()) ? b.size() : at + size;
            const std::size_t frames = (end - at) / (2 * static_cast<std::size_t>(channels));
            pcm->samples.resize(frames);
            for (std::size_t f = 0; f < frames; ++f) {
                int sum = 0;
                for (int c = 0; c < channels; ++c)
                    sum += static_cast<std::int16_t>(Le16(b, at + (f * channels + c) * 2));
                pcm->samples[f] = static_cast<std::int16_t>(sum / channels);
            }
            return true;
        }
        at += size + (size & 1);
    }
    *error = "its WAV sound has no data";
    return false;
}

Pcm RawSamples(const std::string& bytes, int rate) {
    Pcm pcm;
    pcm.rate = rate;
    pcm.samples.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < pcm.samples.size(); ++i)
        pcm.samples[i] = static_cast<std::int16_t>(Le16(bytes, i * 2));
    return pcm;
}

std::vector<std::int16_t> TimeStretched(const std::vector<std::int16_t>& in, int rate, int speed) {
    if (speed == 100 || in.empty() || rate <= 0) return in;
    const int frame = std::max(64, rate * 30 / 1000);  // 30 ms: a few pitch periods
    const int hop = frame / 2;                         // Hann windows at half overlap sum to 1
    const int tolerance = frame / 4;
    const double inHop = hop * speed / 100.0;
    const auto size = static_cast<long>(in.size());
    const auto outSize = static_cast<long>(std::lround(size * 100.0 / speed));
    std::vector<float> out(static_cast<std::size_t>(outSize + frame), 0.0f);
    std::vector<float> window(static_cast<std::size_t>(frame));
    for (int i = 0; i < frame; ++i)
        window[i] = 0.5f - 0.5f * std::cos(2 * M_PI * i / frame);
    auto at = [&](long i) {
        return i >= 0 && i < size ? float(in[static_cast<std::size_t>(i)]) : 0.0f;
    };
    long previous = 0;  // where the last frame was taken from
    for (long k = 0; k * hop < outSize; ++k) {
        const long nominal = std::lround(k * inHop);
        long best = nominal;
        if (k > 0) {
            // The stretch that best continues the previous one's natural sequel.
            const long sequel = previous + hop;
            double bestScore = -1e300;
            for (long d = -tolerance; d <= tolerance; d += 2) {
                double score = 0;
                for (int i = 0; i < frame; i += 2)
                    score += at(nominal + d + i) * at(sequel + i);
                if (score > bestScore) bestScore = score, best = nominal + d;
            }
        }
        previous = best;
        for (int i = 0; i < frame; ++i)
            out[static_cast<std::size_t>(k * hop + i)] += window[i] * at(best + i);
    }
    std::vector<std::int16_t> samples(static_cast<std::size_t>(outSize));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(std::clamp(out[i], -32768.0f, 32767.0f));
    return samples;
}

std::vector<std::int16_t> Resampled(const Pcm& pcm, int rate) {
    if (pcm.rate == rate || pcm.rate <= 0 || pcm.samples.empty()) return pcm.samples;
    std::vector<float> in(pcm.samples.size());
    src_short_to_float_array(pcm.samples.data(), in.data(), static_cast<int>(in.size()));
    const double ratio = double(rate) / pcm.rate;
    std::vector<float> out(static_cast<std::size_t>(std::ceil(in.size() * ratio)) + 16);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (src_simple(&data, SRC_SINC_FASTEST, 1) != 0) return {};
    std::vector<std::int16_t> samples(static_cast<std::size_t>(data.output_frames_gen));
    src_float_to_short_array(out.data(), samples.data(), static_cast<int>(samples.size()));
    return samples;
}

std::size_t LeadingSilence(const std::vector<std::int16_t>& samples, std::size_t keep) {
    // Below about -54 dBFS: no onset of speech is that quiet.
    constexpr int kQuiet = 64;
    const auto first = std::find_if(samples.begin(), samples.end(),
                                    [](std::int16_t v) { return v > kQuiet || v < -kQuiet; });
    const auto silent = static_cast<std::size_t>(first - samples.begin());
    return silent > keep ? silent - keep : 0;
}

}  // namespace vernalo
