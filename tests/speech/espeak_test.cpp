// The built-in engine behind the synthesizer control, heard through outputs without a device.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

#include "speech/espeakengine.h"
#include "speech/espeakvoice.h"

namespace vernalo {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Counts what reaches the output while consuming it in real time like a device.
class CountingOutput : public NullOutput {
public:
    void write(const std::int16_t* s, std::size_t n) override {
        NullOutput::write(s, n);
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
    EXPECT_TRUE(WaitFor([&] { return !voice.speaking(); })) << "the voice never fell silent";
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(Espeak, defaultModesCarryTheSettingsDefaults) {
    EspeakVoice voice(std::make_unique<NullOutput>());
    ASSERT_GT(voice.modeCount(), 1) << EspeakEngine::instance().error();
    const int ru = EspeakVoice::findSpeaker(u"Nicolai");
    const int en = EspeakVoice::findSpeaker(u"Carol");
    ASSERT_GT(ru, 0);
    ASSERT_GT(en, 0);
    EXPECT_NE(voice.modeName(ru).find(u"Russian"), std::u16string::npos);
    EXPECT_NE(voice.modeName(en).find(u"English"), std::u16string::npos);
    for (int n = 1; n <= voice.modeCount(); ++n) {
        EXPECT_NE(voice.productName(n).find(u"DIGALO"), std::u16string::npos);
        const bool russian = voice.modeName(n).find(u"Russian") != std::u16string::npos;
        const bool english = voice.modeName(n).find(u"English") != std::u16string::npos;
        EXPECT_NE(russian, english) << "mode " << n;
    }
    EXPECT_EQ(voice.modeName(0), u"");
    EXPECT_EQ(voice.speaker(voice.modeCount() + 1), u"");
}

TEST(Espeak, bothControlsSeeTheSameModes) {
    EspeakVoice a(std::make_unique<NullOutput>()), b(std::make_unique<NullOutput>());
    ASSERT_EQ(a.modeCount(), b.modeCount());
    for (int n = 1; n <= a.modeCount(); ++n)
        EXPECT_EQ(a.speaker(n), b.speaker(n));
}

TEST(Espeak, speedStaysWithinModeRange) {
    EspeakVoice voice(std::make_unique<NullOutput>());
    EXPECT_EQ(voice.speed(), 100);
    EXPECT_LT(voice.minSpeed(), 100);
    EXPECT_GT(voice.maxSpeed(), 100);
    voice.setSpeed(1000);
    EXPECT_EQ(voice.speed(), voice.maxSpeed());
    voice.setSpeed(voice.minSpeed() + 1);
    EXPECT_EQ(voice.speed(), voice.minSpeed() + 1);
    voice.select(2);
    EXPECT_EQ(voice.speed(), 100) << "a selected mode speaks at its normal rate";
}

TEST(Espeak, speakingLastsAsLongAsTheAudio) {
    auto out = std::make_unique<CountingOutput>();
    CountingOutput& counted = *out;
    EspeakVoice voice(std::move(out), EspeakVoice::findSpeaker(u"Carol"));
    const auto start = Clock::now();
    voice.speak(u"Test of speech, for english voice.");
    EXPECT_TRUE(voice.speaking()) << "non-zero from Speak on";
    EXPECT_LT(Clock::now() - start, 20ms) << "Speak returns at once";
    const double spoken = SecondsWhileSpeaking(voice);
    const double audio = double(counted.samples) / kSampleRate;
    EXPECT_GT(audio, 1.0);
    EXPECT_LT(audio, 5.0);
    EXPECT_NEAR(spoken, audio, 0.1);
}

// Takes the audio without playing it, so a test waits only for the synthesis.
class InstantOutput : public PlaybackOutput {
public:
    void write(const std::int16_t*, std::size_t n) override { samples += n; }
    bool playing() const override { return false; }
    void reset() override {}
    std::atomic<std::size_t> samples{0};
};

TEST(Espeak, speedChangesTheRateOfWhatIsSpokenNext) {
    auto out = std::make_unique<InstantOutput>();
    InstantOutput& counted = *out;
    EspeakVoice voice(std::move(out), EspeakVoice::findSpeaker(u"Nicolai"));
    std::size_t lengths[3];
    const int speeds[3] = {100, 200, 50};
    for (int i = 0; i < 3; ++i) {
        voice.setSpeed(speeds[i]);
        const std::size_t before = counted.samples;
        voice.speak(u"Проба синтеза речи, для русского голоса.");
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
        voice.speak(u"Да.");
        SecondsWhileSpeaking(voice);
        alone = counted.samples;
    }
    ASSERT_GT(alone, 0u);

    auto out = std::make_unique<CountingOutput>();
    CountingOutput& counted = *out;
    EspeakVoice voice(std::move(out));
    for (int i = 0; i < 5; ++i)
        voice.speak(u"Проба синтеза речи, для русского голоса.");
    ASSERT_TRUE(WaitFor([&] { return counted.samples > 0; })) << "nothing was spoken";
    voice.audioReset();
    EXPECT_FALSE(voice.speaking());
    const std::size_t after = counted.samples;
    voice.speak(u"Да.");
    EXPECT_TRUE(voice.speaking()) << "the control speaks again after a reset";
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
    void write(const std::int16_t* s, std::size_t n) override {
        NullOutput::write(s, n);
        std::lock_guard lock(marks);
        samples += n;
    }
    void flush() override {
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
    EspeakVoice voice(std::move(out), EspeakVoice::findSpeaker(u"Carol"));
    voice.speak(u"One.");
    SecondsWhileSpeaking(voice);
    std::size_t first;
    {
        std::lock_guard lock(o.marks);
        ASSERT_EQ(o.flushedAt.size(), 1u);
        EXPECT_EQ(o.flushedAt[0], o.samples) << "no sample of the piece follows its flush";
        first = o.samples;
    }
    voice.speak(u"Two.");
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
    EspeakVoice ru(std::move(ruOut), EspeakVoice::findSpeaker(u"Nicolai"));
    EspeakVoice en(std::move(enOut), EspeakVoice::findSpeaker(u"Carol"));
    ru.speak(u"Привет.");
    en.speak(u"Hello.");
    SecondsWhileSpeaking(ru);
    SecondsWhileSpeaking(en);
    EXPECT_GT(ruCount.samples, 0u);
    EXPECT_GT(enCount.samples, 0u);
}

// The words heard, each once, while the voice speaks `text` through an output that plays in
// real time.
std::vector<std::u16string> WordsHeard(EspeakVoice& voice, const std::u16string& text) {
    std::vector<std::u16string> heard;
    voice.speak(text);
    EXPECT_TRUE(WaitFor([&] {
        if (auto w = voice.heardWord()) {
            std::u16string word = text.substr(static_cast<std::size_t>(w->offset),
                                              static_cast<std::size_t>(w->length));
            if (heard.empty() || heard.back() != word) heard.push_back(word);
        }
        return !voice.speaking();
    }));
    EXPECT_FALSE(voice.heardWord()) << "a word is still heard after the sound";
    return heard;
}

TEST(Espeak, wordsAreHeardInOrderAsTheyArePlayed) {
    EspeakVoice voice(std::make_unique<NullOutput>(), EspeakVoice::findSpeaker(u"Carol"));
    // A character outside the basic plane counts as one for the engine, two units here.
    EXPECT_EQ(WordsHeard(voice, u"\U0001D400 One, two three."),
              (std::vector<std::u16string>{u"\U0001D400", u"One", u"two", u"three"}));
    // Words respelled for their stress marks are still marked as they are written.
    EspeakVoice russian(std::make_unique<NullOutput>(), EspeakVoice::findSpeaker(u"Nicolai"));
    EXPECT_EQ(WordsHeard(russian, u"Это я\u0301блоко, не ябло\u0301ко."),
              (std::vector<std::u16string>{u"Это", u"я\u0301блоко", u"не", u"ябло\u0301ко"}));
    // Again from the first word; a reset drops the words with the sound.
    EXPECT_EQ(WordsHeard(voice, u"One, two three.").front(), u"One");
    voice.speak(u"One, two three.");
    ASSERT_TRUE(WaitFor([&] { return voice.heardWord().has_value(); }));
    voice.audioReset();
    EXPECT_FALSE(voice.heardWord());
}

// Another engine of the language (an installed one) speaks on the same output between this
// voice's pieces: the words of the next piece are still marked as they are heard.
TEST(Espeak, wordsStayMarkedAfterAnotherEngineSpokeOnTheSharedOutput) {
    EspeakVoice voice(std::make_unique<NullOutput>(), EspeakVoice::findSpeaker(u"Carol"));
    const std::vector<std::int16_t> other(kSampleRate, 1000);
    voice.sharedOutput().write(other.data(), other.size());
    voice.speak(u"One, two three.");
    ASSERT_TRUE(WaitFor([&] { return voice.heardWord().has_value(); }));
    EXPECT_GE(voice.output().heard().value_or(0), static_cast<std::int64_t>(other.size()))
        << "a word was marked while the other engine's sound played";
    ASSERT_TRUE(WaitFor([&] { return !voice.speaking(); }));
    voice.sharedOutput().write(other.data(), other.size() / 10);
    ASSERT_TRUE(WaitFor([&] { return !voice.speaking(); }));
    EXPECT_EQ(WordsHeard(voice, u"One, two three."),
              (std::vector<std::u16string>{u"One", u"two", u"three"}));
}

TEST(Espeak, emptyTextIsNotSpeaking) {
    EspeakVoice voice(std::make_unique<NullOutput>());
    voice.speak(u"");
    EXPECT_FALSE(voice.speaking());
}

TEST(Espeak, controlGoneWhileSpeakingIsSafe) {
    for (int i = 0; i < 20; ++i) {
        EspeakVoice voice(std::make_unique<NullOutput>());
        voice.speak(u"Test of speech, for english voice. And some more words to say.");
    }
    EspeakVoice voice(std::make_unique<NullOutput>());
    voice.speak(u"Yes.");
    EXPECT_TRUE(voice.speaking());
}

}  // namespace
}  // namespace vernalo
