// speech-dispatcher's voices through the test services' own speech-dispatcher, checked on the
// recording of the sink it plays on.

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "speech/dispatchervoice.h"
#include "speech/speechdclient.h"
#include "support/casename.h"
#include "support/monitor.h"

namespace vernalo {
namespace {

using namespace std::chrono_literals;
using test::Clock;
using test::LoudSeconds;
using test::MonitorSamples;
using test::MonitorSize;
using test::RecordingUntilQuiet;

constexpr auto kSpeechEnded = 300ms;

double Seconds(std::size_t samples) {
    return static_cast<double>(samples) / kSampleRate;
}

class ServiceAudio : public testing::Test {
protected:
    void SetUp() override {
        if (!test::Monitor() || !std::getenv("SPEECHD_ADDRESS"))
            GTEST_SKIP() << "no test speech-dispatcher (VERNALO_MONITOR, SPEECHD_ADDRESS)";
        sinkLock_.emplace();
        ASSERT_TRUE(sinkLock_->held());
        const DispatcherCatalog& catalog = SpeechdCatalog();
        ASSERT_TRUE(catalog.wait(20s)) << "speech-dispatcher never listed its voices";
        ASSERT_FALSE(catalog.modes().empty()) << catalog.error();
        voice = std::make_unique<DispatcherVoice>(catalog);
        voice->onError = [this](const std::string&) { ++errors; };
        static bool warmedUp = false;
        if (!warmedUp) {
            warmedUp = true;
            use("kal16 (flite)");
            const std::size_t from = MonitorSize();
            speakAndWait(u"Ready.");
            ASSERT_TRUE(RecordingUntilQuiet(from, kSpeechEnded, true))
                << "the first sound never reached the recording";
        }
    }
    void TearDown() override {
        voice.reset();
        sinkLock_.reset();
    }
    void use(const char* speaker) {
        const std::u16string name(speaker, speaker + std::char_traits<char>::length(speaker));
        for (int n = 1; n <= voice->modeCount(); ++n) {
            if (voice->speaker(n) == name) {
                voice->select(n);
                return;
            }
        }
        FAIL() << "speech-dispatcher lists no " << speaker;
    }
    // Seconds from Speak until Speaking ended; `recordedAtEnd` gets the recording's size then.
    double speakAndWait(const std::u16string& text, std::size_t* recordedAtEnd = nullptr) {
        const auto start = Clock::now();
        voice->speak(text);
        while (voice->speaking() && Clock::now() - start < 20s)
            std::this_thread::sleep_for(1ms);
        if (recordedAtEnd) *recordedAtEnd = MonitorSize();
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
    std::unique_ptr<DispatcherVoice> voice;
    std::atomic<int> errors{0};
    std::optional<test::SinkLock> sinkLock_;
};

struct Phrase {
    const char* speaker;
    std::u16string text;
    const char* name;
};

void PrintTo(const Phrase& p, std::ostream* os) {
    *os << p.speaker;
}

class ServiceAudioPhrase : public ServiceAudio, public testing::WithParamInterface<Phrase> {};

TEST_P(ServiceAudioPhrase, heardAndSpeakingEndsWithTheSound) {
    use(GetParam().speaker);
    const std::size_t before = MonitorSize();
    std::size_t atEnd = 0;
    const double seconds = speakAndWait(GetParam().text, &atEnd);
    const auto recorded = RecordingUntilQuiet(before, kSpeechEnded, true);
    ASSERT_TRUE(recorded) << "the phrase never reached the recording";
    EXPECT_EQ(errors, 0);
    EXPECT_GT(Rms(recorded->data(), recorded->size()), 500.0);
    EXPECT_GT(LoudSeconds(*recorded), 1.0) << "a test phrase lasts over a second";
    EXPECT_LT(seconds, 10.0);
    // Where the recording stood when Speaking ended, against where the sound ended in it: the
    // recorder lags a little, so this is what Speaking lasted beyond the sound, less that lag.
    const double late = Seconds((atEnd - before) / 2) - Seconds(recorded->size());
    EXPECT_LT(late, 0.15) << "Speaking ended " << late << " s after the sound";
    EXPECT_GT(late, -0.15) << "Speaking ended " << -late << " s before the sound";
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, ServiceAudioPhrase,
    testing::Values(Phrase{"Russian (espeak-ng)", u"Проба синтеза речи, для русского голоса.",
                           "russianEspeak"},
                    Phrase{"kal16 (flite)", u"Test of speech, for english voice.", "englishFlite"},
                    Phrase{"English (Great Britain) (espeak-ng)",
                           u"Test of speech, for english voice.", "englishEspeak"}),
    test::CaseName);

TEST_F(ServiceAudio, audioResetSilencesWithin100ms) {
    use("kal16 (flite)");
    const std::size_t before = MonitorSize();
    voice->speak(u"Test of speech, for english voice. And a long tail of more words to say.");
    const double heardBefore = test::WaitHeard(before, 0.5, 8s);
    ASSERT_GE(heardBefore, 0.5) << "speech came out before the reset";
    ASSERT_TRUE(voice->speaking());
    const std::size_t atReset = MonitorSize();
    const auto reset = Clock::now();
    voice->audioReset();
    EXPECT_LT(Clock::now() - reset, 20ms);
    EXPECT_FALSE(voice->speaking());
    const auto afterReset = RecordingUntilQuiet(atReset, 1s, false);
    ASSERT_TRUE(afterReset) << "the sound never stopped after the reset";
    // The recording is cut after its last loud sample: that is when the sound stopped.
    EXPECT_LT(Seconds(afterReset->size()), 0.1);
    EXPECT_EQ(errors, 0);
    // And the voice speaks again afterwards.
    const std::size_t again = MonitorSize();
    speakAndWait(u"Yes.");
    const auto yes = RecordingUntilQuiet(again, kSpeechEnded, true);
    ASSERT_TRUE(yes);
    EXPECT_GT(LoudSeconds(*yes), 0.1);
}

}  // namespace
}  // namespace vernalo
