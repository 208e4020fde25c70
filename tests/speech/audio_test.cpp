// Speech through the real audio device: the sink's monitor ($VERNALO_MONITOR, s16le 22050 Hz
// mono, recorded by the test services) shows what actually came out.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

#include "speech/espeakvoice.h"
#include "speech/qtaudiooutput.h"
#include "speech/quickexit.h"
#include "support/monitor.h"

namespace vernalo {
namespace {

using namespace std::chrono_literals;
using test::Clock;
using test::kLoud;
using test::LoudSeconds;
using test::Monitor;
using test::MonitorSamples;
using test::MonitorSize;
using test::RecordingUntilQuiet;

// Longer than the recorder's lag and than a pause inside a spoken phrase, shorter than one
// between phrases.
constexpr auto kSpeechEnded = 300ms;

class DeviceAudio : public testing::Test {
protected:
    void SetUp() override {
        if (!Monitor()) GTEST_SKIP() << "VERNALO_MONITOR is not set: no audio services";
        sinkLock_.emplace();
        ASSERT_TRUE(sinkLock_->held());
        std::string error;
        auto out = std::make_unique<QtAudioOutput>();
        ASSERT_TRUE(out->start(&error)) << error;
        voice = std::make_unique<EspeakVoice>(std::move(out));
        // A fresh sound server starts its recorder late on the very first sound: sound once,
        // and go on when that sound is all in the recording.
        static bool warmedUp = false;
        if (!warmedUp) {
            warmedUp = true;
            const std::size_t from = MonitorSize();
            speakAndWait(u"Ready.");
            ASSERT_TRUE(RecordingUntilQuiet(from, kSpeechEnded, true))
                << "the first sound never reached the recording";
        }
    }
    double speakAndWait(const std::u16string& text) {
        const auto start = Clock::now();
        voice->speak(text);
        while (voice->speaking() && Clock::now() - start < 20s)
            std::this_thread::sleep_for(2ms);
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
    void TearDown() override {
        voice.reset();
        sinkLock_.reset();
    }
    std::unique_ptr<EspeakVoice> voice;
    std::optional<test::SinkLock> sinkLock_;
};

struct Phrase {
    const char* speaker;
    std::u16string text;
};

void PrintTo(const Phrase& p, std::ostream* os) {
    *os << p.speaker;
}

class DeviceAudioPhrase : public DeviceAudio, public testing::WithParamInterface<Phrase> {};

TEST_P(DeviceAudioPhrase, testPhraseComesOutOfTheDevice) {
    voice->select(EspeakVoice::findSpeaker(
        std::u16string(GetParam().speaker, GetParam().speaker + std::strlen(GetParam().speaker))));
    const std::size_t before = MonitorSize();
    const double seconds = speakAndWait(GetParam().text);
    const auto recorded = RecordingUntilQuiet(before, kSpeechEnded, true);
    ASSERT_TRUE(recorded) << "the phrase never reached the recording";
    const std::vector<std::int16_t>& heard = *recorded;
    const double loudSeconds = LoudSeconds(heard);
    EXPECT_GT(Rms(heard.data(), heard.size()), 500.0);
    EXPECT_GT(loudSeconds, 1.0) << "a test phrase lasts over a second";
    EXPECT_LT(loudSeconds, seconds + 0.2);
    EXPECT_GT(seconds, loudSeconds * 0.9) << "Speaking lasted as long as the audio";
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, DeviceAudioPhrase,
    testing::Values(Phrase{"Nicolai", u"Проба синтеза речи, для русского голоса."},
                    Phrase{"Carol", u"Test of speech, for english voice."}),
    [](const testing::TestParamInfo<Phrase>& info) { return std::string(info.param.speaker); });

TEST_F(DeviceAudio, audioResetIsFollowedBySilence) {
    const std::size_t before = MonitorSize();
    // About five seconds of speech, cut once some of it has been heard. Waiting for the
    // recording rather than a fixed time keeps a busy machine from failing the test.
    voice->speak(u"Test of speech, for english voice. And a long tail of more words to say.");
    const double heardBefore = test::WaitHeard(before, 0.5, 4s);
    ASSERT_GE(heardBefore, 0.5) << "speech came out before the reset";
    ASSERT_TRUE(voice->speaking());
    const std::size_t atReset = MonitorSize();
    const auto reset = Clock::now();
    voice->audioReset();
    const auto took = Clock::now() - reset;
    EXPECT_FALSE(voice->speaking());
    EXPECT_LT(took, 50ms);
    // The recorder lags behind by a varying amount, so a little sound may still be recorded
    // after the reset; what the voice still had to say (seconds of it) must not be. A second of
    // quiet is longer than any pause in the speech: after one, all that followed is recorded.
    const auto afterReset = RecordingUntilQuiet(atReset, 1s, false);
    ASSERT_TRUE(afterReset) << "the device never went quiet after the reset";
    EXPECT_LT(LoudSeconds(*afterReset), 0.3) << "and stopped with it";
    // And the control speaks again afterwards.
    EXPECT_GT(speakAndWait(u"Yes."), 0.1);
}

// Tone bursts written straight to device outputs, as the two voices of a reading hand over
// word after word: each burst must come out whole, once and in turn, whichever output it went
// to and however short it is.
struct BurstCase {
    const char* name;
    int outputs;  // bursts go to the outputs in turn
    int count;
    int ms;      // length of each burst
    bool flush;  // the writer says when a burst is complete
};

void PrintTo(const BurstCase& c, std::ostream* os) {
    *os << c.name;
}

class DeviceBursts : public testing::TestWithParam<BurstCase> {
protected:
    void SetUp() override {
        if (!Monitor()) GTEST_SKIP() << "VERNALO_MONITOR is not set: no audio services";
        sinkLock_.emplace();
        ASSERT_TRUE(sinkLock_->held());
    }
    void TearDown() override { sinkLock_.reset(); }
    std::optional<test::SinkLock> sinkLock_;
};

// Longer than the recorder's lag and than the gap between two bursts.
constexpr auto kBurstsEnded = 200ms;

// A 440 Hz tone of `amplitude`, `ms` long.
std::vector<std::int16_t> Tone(int ms, double amplitude) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(kSampleRate) * ms / 1000);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(amplitude *
                                         std::sin(2 * M_PI * 440.0 * double(i) / kSampleRate));
    return s;
}

// Stretches of sound in `s`: [first, last] loud sample, split by at least 2 ms of quiet.
std::vector<std::pair<std::size_t, std::size_t>> Bursts(const std::vector<std::int16_t>& s) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (std::abs(s[i]) <= kLoud) continue;
        if (out.empty() || i - out.back().second > 44)
            out.push_back({i, i});
        else
            out.back().second = i;
    }
    return out;
}

TEST_P(DeviceBursts, eachBurstComesOutWholeOnceAndInTurn) {
    const BurstCase& c = GetParam();
    const std::size_t settling = MonitorSize();
    std::vector<std::unique_ptr<QtAudioOutput>> outs;
    for (int i = 0; i < c.outputs; ++i) {
        std::string error;
        outs.push_back(std::make_unique<QtAudioOutput>());
        ASSERT_TRUE(outs.back()->start(&error)) << error;
    }
    // Whatever sounded before, opening the outputs included, is over.
    ASSERT_TRUE(RecordingUntilQuiet(settling, kBurstsEnded, false))
        << "the device never went quiet";
    const std::size_t before = MonitorSize();
    for (int k = 0; k < c.count; ++k) {
        QtAudioOutput& out = *outs[static_cast<std::size_t>(k % c.outputs)];
        // Louder each time, so the recording shows the order.
        auto tone = Tone(c.ms, 3000.0 + 2500.0 * k);
        // Quiet around it, as around speech: the next burst is handed over in the last moment
        // of this one and may start while that still plays.
        const std::size_t edge = kSampleRate * 2 * out.handOver().count() / 1000;
        tone.insert(tone.begin(), edge, 0);
        tone.insert(tone.end(), edge, 0);
        const auto start = Clock::now();
        out.write(tone.data(), tone.size());
        if (c.flush) out.flush();
        while (out.playing() && Clock::now() - start < 3s)
            std::this_thread::sleep_for(1ms);
        EXPECT_FALSE(out.playing()) << "burst " << k << " never ended";
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(c.ms) - out.handOver())
            << "burst " << k << ": playing as long as the sound lasts but its hand-over";
    }
    const auto recorded = RecordingUntilQuiet(before, kBurstsEnded, true);
    ASSERT_TRUE(recorded) << "no burst reached the recording";
    const std::vector<std::int16_t>& heard = *recorded;
    const auto bursts = Bursts(heard);
    ASSERT_EQ(bursts.size(), static_cast<std::size_t>(c.count))
        << "every burst is heard once, none held back to sound with another";
    const std::size_t length = static_cast<std::size_t>(kSampleRate) * c.ms / 1000;
    double lastRms = 0;
    for (std::size_t k = 0; k < bursts.size(); ++k) {
        const auto [first, last] = bursts[k];
        EXPECT_LE(last - first, length + 20) << "burst " << k;
        // The recorder may miss a few milliseconds where a stream starts.
        EXPECT_GE(last - first + 1 + kSampleRate / 40, length) << "burst " << k;
        const double rms = Rms(heard.data() + first, last - first + 1);
        EXPECT_GT(rms, lastRms) << "burst " << k << " out of turn";
        lastRms = rms;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DeviceBursts,
                         testing::Values(BurstCase{"shortOnTwoOutputs", 2, 6, 40, true},
                                         BurstCase{"shortOnOneOutput", 1, 5, 40, true},
                                         BurstCase{"longOnTwoOutputs", 2, 3, 300, true},
                                         BurstCase{"shortUnflushedOnTwoOutputs", 2, 4, 40, false}),
                         [](const testing::TestParamInfo<BurstCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace vernalo

int main(int argc, char** argv) {
    int status;
    {
        QCoreApplication app(argc, argv);
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    vernalo::ExitSkippingAudioTeardown(status);
}
