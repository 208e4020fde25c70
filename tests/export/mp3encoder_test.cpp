// MP3 encoded in stretches on several threads: the joins fall in pauses, the sound keeps its
// timing, and the tag names the file in any script.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "export/formats/mp3/mp3encoder.h"
#include "support/soundfile.h"

namespace {

using namespace vernalo;

constexpr int kRate = 22050;

// Tones of 300 ms between pauses of the given lengths in turn, the pauses not quite silent,
// as a voice's breath is not.
struct Tones {
    std::vector<std::int16_t> sound;
    std::vector<double> onsets;  // seconds
};

Tones MakeTones(const std::vector<int>& pausesMs) {
    Tones t;
    for (std::size_t i = 0; i < 48; ++i) {
        t.onsets.push_back(double(t.sound.size()) / kRate);
        for (int k = 0; k < kRate * 3 / 10; ++k)
            t.sound.push_back(
                std::int16_t(9000 * std::sin(2 * M_PI * double(300 + 40 * (i % 5)) * k / kRate)));
        const int pause = kRate * pausesMs[i % pausesMs.size()] / 1000;
        for (int k = 0; k < pause; ++k)
            t.sound.push_back(std::int16_t((k * 7919 % 601) - 300));
    }
    return t;
}

// Where loud stretches begin, from the loudness of 5 ms windows.
std::vector<double> Onsets(const std::vector<float>& samples) {
    std::vector<double> onsets;
    const std::size_t w = kRate / 200;
    bool loud = false;
    for (std::size_t i = 0; i + w <= samples.size(); i += w) {
        double sum = 0;
        for (std::size_t k = i; k < i + w; ++k)
            sum += double(samples[k]) * samples[k];
        const double rms = std::sqrt(sum / double(w));
        if (!loud && rms > 0.1) onsets.push_back(double(i) / kRate);
        loud = rms > (loud ? 0.05 : 0.1);
    }
    return onsets;
}

struct JoinCase {
    const char* name;
    std::vector<int> pausesMs;
    double seekSeconds;  // for a pause to cut in, past the stretch's length
    // How far a tone may start from its place, in seconds, for each join before it.
    double driftPerJoin;
};

void PrintTo(const JoinCase& c, std::ostream* os) {
    *os << c.name;
}

class Mp3Joins : public testing::TestWithParam<JoinCase> {};

TEST_P(Mp3Joins, fallInPausesAndKeepTheTiming) {
    const Tones tones = MakeTones(GetParam().pausesMs);
    const std::string path = testing::TempDir() + "/stretches-" + GetParam().name + ".mp3";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    Mp3Settings settings;
    settings.title = "Урок 1";
    settings.artist = "Vernalo";
    settings.stretchSamples = kRate;  // a join about every second or two
    settings.seekSamples = std::size_t(GetParam().seekSeconds * kRate);
    settings.workers = 3;
    std::size_t stretches = 0;
    {
        Mp3Encoder encoder(out, settings);
        ASSERT_TRUE(encoder.start()) << encoder.reason();
        // Handed over in uneven pieces, as the engine does.
        for (std::size_t at = 0; at < tones.sound.size(); at += 777)
            ASSERT_TRUE(encoder.write(tones.sound.data() + at,
                                      std::min<std::size_t>(777, tones.sound.size() - at)));
        ASSERT_TRUE(encoder.finish()) << encoder.reason();
        stretches = encoder.stretches();
    }
    std::fclose(out);
    EXPECT_GE(stretches, 8u);

    const test::Sound d = test::Decode(path);
    EXPECT_EQ(d.title, "Урок 1");
    const std::vector<double> heard = Onsets(d.samples);
    // No join split a tone, and every tone starts where it did, give or take the decoder's
    // fixed delay and what the joins before it could not take out of the pauses.
    ASSERT_EQ(heard.size(), tones.onsets.size());
    const double delay = heard[0] - tones.onsets[0];
    EXPECT_LT(std::abs(delay), 0.1);
    for (std::size_t i = 0; i < heard.size(); ++i) {
        const double joins = std::floor(tones.onsets[i]);  // a stretch lasts a second at least
        EXPECT_NEAR(heard[i] - tones.onsets[i], delay, 0.015 + joins * GetParam().driftPerJoin)
            << "tone " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mp3Encoder, Mp3Joins,
    testing::Values(
        // Pauses long enough to take a join: the timing is kept.
        JoinCase{"longPauses", {15, 40, 120, 25, 200, 60, 30, 90}, 3, 0.0},
        // Only short ones: each join lengthens one of them a little.
        JoinCase{"shortPauses", {15, 40, 25, 30}, 0.5, 0.08}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
