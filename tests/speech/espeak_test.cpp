// The built-in engine behind the synthesizer control, heard through outputs without a device.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

#include "speech/espeakengine.h"

namespace vernalo {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Counts what reaches the output while consuming it in real time like a device.
class CountingOutput : public NullOutput {
public:
    void Write(const std::int16_t* s, std::size_t n) override {
        NullOutput::Write(s, n);
        samples += n;
        if (first == Clock::time_point{}) first = Clock::now();
    }
    std::atomic<std::size_t> samples{0};
    Clock::time_point first{};
};

// Polls until `done` holds; false when it did not within `limit`.
template <typename Condition>
bool WaitFor(Condition done, Clock::duration limit = 20s) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

double SecondsWhileSpeaking(const Voice& voice) {
    const auto start = Clock::now();
    EXPECT_TRUE(WaitFor([&] { return !voice.Speaking(); })) << "the voice never fell silent";
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(Espeak, defaultModesCarryTheSettingsDefaults) {
    EspeakVoice voice(std::make_unique<NullOutput>());
    ASSERT_GT(voice.ModeCount(), 1) << EspeakEngine::Instance().Error();
    const int ru = EspeakVoice::FindSpeaker(u"Nicolai");
    const int en = EspeakVoice::FindSpeaker(u"Carol");
    ASSERT_GT(ru, 0);
    ASSERT_GT(en, 0);
    EXPECT_NE(voice.ModeName(ru).find(u"Russian"), std::u16string::npos);
    EXPECT_NE(voice.ModeName(en).find(u"English"), std::u16string::npos);
    for (int n = 1; n <= voice.ModeCount(); ++n) {
        EXPECT_NE(voice.ProductName(n).find(u"DIGALO"), std::u16string::npos);
        const bool russian = voice.ModeName(n).find(u"Russian") != std::u16string::npos;
        const bool english = voice.ModeName(n).find(u"English") != std::u16string::npos;
        EXPECT_NE(russian, english) << "mode " << n;
    }
    EXPECT_EQ(voice.ModeName(0), u"");
    EXPECT_EQ(voice.Speaker(voice.ModeCount() + 1), u"");
}

TEST(Espeak, bothControlsSeeTheSameModes) {
    EspeakVoice a(std::make_unique<NullOutput>()), b(std::make_unique<NullOutput>());
    ASSERT_EQ(a.ModeCount(), b.ModeCount());
    for (int n = 1; n <= a.ModeCount(); ++n)
        EXPECT_EQ(a.Speaker(n), b.Speaker(n));
}

TEST(Espeak, speedStaysWithinModeRange) {
    EspeakVoice voice(std::make_unique<NullOutput>());
    EXPECT_EQ(voice.Speed(), 100);
    EXPECT_LT(voice.MinSpeed(), 100);
    EXPECT_GT(voice.MaxSpeed(), 100);
    voice.SetSpeed(1000);
    EXPECT_EQ(voice.Speed(), voice.MaxSpeed());
    voice.SetSpeed(voice.MinSpeed() + 1);
    EXPECT_EQ(voice.Speed(), voice.MinSpeed() + 1);
    voice.Select(2);
    EXPECT_EQ(voice.Speed(), 100) << "a selected mode speaks at its normal rate";
}

TEST(Espeak, speakingLastsAsLongAsTheAudio) {
    auto out = std::make_unique<CountingOutput>();
    CountingOutput& counted = *out;
    EspeakVoice voice(std::move(out), EspeakVoice::FindSpeaker(u"Carol"));
    const auto start = Clock::now();
    voice.Speak(u"Test of speech, for english voice.");
    EXPECT_TRUE(voice.Speaking()) << "non-zero from Speak on";
    EXPECT_LT(Clock::now() - start, 20ms) << "Speak returns at once";
    const double spoken = SecondsWhileSpeaking(voice);
    const double audio = double(counted.samples) / kSampleRate;
    EXPECT_GT(audio, 1.0);
    EXPECT_LT(audio, 5.0);
    EXPECT_NEAR(spoken, audio, 0.1);
}

// Takes the audio without playing it, so a test waits only for the synthesis.
class InstantOutput : public AudioOutput {
public:
    void Write(const std::int16_t*, std::size_t n) override { samples += n; }
    bool Playing() const override { return false; }
    void Reset() override {}
    std::atomic<std::size_t> samples{0};
};

TEST(Espeak, speedChangesTheRateOfWhatIsSpokenNext) {
    auto out = std::make_unique<InstantOutput>();
    InstantOutput& counted = *out;
    EspeakVoice voice(std::move(out), EspeakVoice::FindSpeaker(u"Nicolai"));
    std::size_t lengths[3];
    const int speeds[3] = {100, 200, 50};
    for (int i = 0; i < 3; ++i) {
        voice.SetSpeed(speeds[i]);
        const std::size_t before = counted.samples;
        voice.Speak(u"Проба синтеза речи, для русского голоса.");
        SecondsWhileSpeaking(voice);
        lengths[i] = counted.samples - before;
    }
    EXPECT_LT(lengths[1], lengths[0] * 7 / 10);
    EXPECT_GT(lengths[2], lengths[0] * 15 / 10);
}

TEST(Espeak, audioResetSilencesAtOnceAndDropsQueue) {
    // What "Да." alone gives, to tell it from anything left over from before a reset.
    std::size_t alone = 0;
    {
        auto plain = std::make_unique<InstantOutput>();
        InstantOutput& counted = *plain;
        EspeakVoice voice(std::move(plain));
        voice.Speak(u"Да.");
        SecondsWhileSpeaking(voice);
        alone = counted.samples;
    }
    ASSERT_GT(alone, 0u);

    auto out = std::make_unique<CountingOutput>();
    CountingOutput& counted = *out;
    EspeakVoice voice(std::move(out));
    for (int i = 0; i < 5; ++i)
        voice.Speak(u"Проба синтеза речи, для русского голоса.");
    ASSERT_TRUE(WaitFor([&] { return counted.samples > 0; })) << "nothing was spoken";
    voice.AudioReset();
    EXPECT_FALSE(voice.Speaking());
    const std::size_t after = counted.samples;
    voice.Speak(u"Да.");
    EXPECT_TRUE(voice.Speaking()) << "the control speaks again after a reset";
    // The engine works through its queue in order: once "Да." is over, anything queued before
    // the reset would have come out too. Its output varies by a few samples from run to run; a
    // leftover would be at least one of its 40 ms chunks (882 samples).
    SecondsWhileSpeaking(voice);
    EXPECT_NEAR(double(counted.samples - after), double(alone), 200.0)
        << "nothing queued before the reset is heard after it";
}

// Notes where each Flush falls among the samples written.
class FlushOutput : public NullOutput {
public:
    void Write(const std::int16_t* s, std::size_t n) override {
        NullOutput::Write(s, n);
        std::lock_guard lock(marks);
        samples += n;
    }
    void Flush() override {
        std::lock_guard lock(marks);
        flushedAt.push_back(samples);
    }
    std::mutex marks;
    std::size_t samples = 0;
    std::vector<std::size_t> flushedAt;
};

TEST(Espeak, eachPieceIsFlushedAfterItsLastSample) {
    auto out = std::make_unique<FlushOutput>();
    FlushOutput& o = *out;
    EspeakVoice voice(std::move(out), EspeakVoice::FindSpeaker(u"Carol"));
    voice.Speak(u"One.");
    SecondsWhileSpeaking(voice);
    std::size_t first;
    {
        std::lock_guard lock(o.marks);
        ASSERT_EQ(o.flushedAt.size(), 1u);
        EXPECT_EQ(o.flushedAt[0], o.samples) << "no sample of the piece follows its flush";
        first = o.samples;
    }
    voice.Speak(u"Two.");
    SecondsWhileSpeaking(voice);
    std::lock_guard lock(o.marks);
    ASSERT_EQ(o.flushedAt.size(), 2u);
    EXPECT_GT(o.flushedAt[1], first);
    EXPECT_EQ(o.flushedAt[1], o.samples);
}

TEST(Espeak, twoControlsSpeakTheirOwnVoices) {
    auto ruOut = std::make_unique<CountingOutput>();
    auto enOut = std::make_unique<CountingOutput>();
    CountingOutput &ruCount = *ruOut, &enCount = *enOut;
    EspeakVoice ru(std::move(ruOut), EspeakVoice::FindSpeaker(u"Nicolai"));
    EspeakVoice en(std::move(enOut), EspeakVoice::FindSpeaker(u"Carol"));
    ru.Speak(u"Привет.");
    en.Speak(u"Hello.");
    SecondsWhileSpeaking(ru);
    SecondsWhileSpeaking(en);
    EXPECT_GT(ruCount.samples, 0u);
    EXPECT_GT(enCount.samples, 0u);
}

// The words heard, each once, while the voice speaks `text` through an output that plays in
// real time.
std::vector<std::u16string> WordsHeard(EspeakVoice& voice, const std::u16string& text) {
    std::vector<std::u16string> heard;
    voice.Speak(text);
    EXPECT_TRUE(WaitFor([&] {
        if (auto w = voice.HeardWord()) {
            std::u16string word = text.substr(static_cast<std::size_t>(w->offset),
                                              static_cast<std::size_t>(w->length));
            if (heard.empty() || heard.back() != word) heard.push_back(word);
        }
        return !voice.Speaking();
    }));
    EXPECT_FALSE(voice.HeardWord()) << "a word is still heard after the sound";
    return heard;
}

TEST(Espeak, wordsAreHeardInOrderAsTheyArePlayed) {
    EspeakVoice voice(std::make_unique<NullOutput>(), EspeakVoice::FindSpeaker(u"Carol"));
    // A character outside the basic plane counts as one for the engine, two units here.
    EXPECT_EQ(WordsHeard(voice, u"\U0001D400 One, two three."),
              (std::vector<std::u16string>{u"\U0001D400", u"One", u"two", u"three"}));
    // Again from the first word; a reset drops the words with the sound.
    EXPECT_EQ(WordsHeard(voice, u"One, two three.").front(), u"One");
    voice.Speak(u"One, two three.");
    ASSERT_TRUE(WaitFor([&] { return voice.HeardWord().has_value(); }));
    voice.AudioReset();
    EXPECT_FALSE(voice.HeardWord());
}

TEST(Espeak, emptyTextIsNotSpeaking) {
    EspeakVoice voice(std::make_unique<NullOutput>());
    voice.Speak(u"");
    EXPECT_FALSE(voice.Speaking());
}

TEST(Espeak, controlGoneWhileSpeakingIsSafe) {
    for (int i = 0; i < 20; ++i) {
        EspeakVoice voice(std::make_unique<NullOutput>());
        voice.Speak(u"Test of speech, for english voice. And some more words to say.");
    }
    EspeakVoice voice(std::make_unique<NullOutput>());
    voice.Speak(u"Yes.");
    EXPECT_TRUE(voice.Speaking());
}

}  // namespace
}  // namespace vernalo
