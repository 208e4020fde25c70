#pragma once
// A synthesizer control speaking with the built-in engine (speech/espeakengine.h).

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "speech/audiooutput.h"
#include "speech/espeakengine.h"
#include "speech/soundspan.h"
#include "speech/voice.h"

namespace vernalo {

// A synthesizer control speaking with the built-in engine through one audio output.
class EspeakVoice : public Voice {
public:
    // `mode` is the mode selected at first (1 when out of range).
    explicit EspeakVoice(std::unique_ptr<PlaybackOutput> output, int mode = 1);
    ~EspeakVoice() override;

    int modeCount() const override;
    std::u16string modeName(int mode) const override;
    std::u16string speaker(int mode) const override;
    std::u16string productName(int mode) const override;
    bool supportsDictionaries(int) const override { return true; }
    void select(int mode) override;
    int speed() const override { return speed_; }
    void setSpeed(int speed) override;
    int minSpeed() const override { return kMinSpeed; }
    int maxSpeed() const override { return kMaxSpeed; }
    void speak(const std::u16string& text) override;
    int speaking() const override;
    void audioReset() override;
    std::optional<WordSpan> heardWord() const override;
    std::optional<SoundLength> lastSound() const override;

    int mode() const { return mode_; }
    PlaybackOutput& output() { return *output_; }
    // The output as another engine of the same language writes to it: its samples are
    // counted, so that this voice's word marks stay on its own.
    PlaybackOutput& sharedOutput() { return shared_; }
    // The mode whose speaker is `name`, or 0.
    static int findSpeaker(const std::u16string& name);

private:
    class SharedOutput : public PlaybackOutput {
    public:
        explicit SharedOutput(EspeakVoice& voice) : voice_(voice) {}
        void write(const std::int16_t* samples, std::size_t count) override;
        bool playing() const override;
        void reset() override;
        void flush() override;
        std::optional<std::int64_t> heard() const override;
        std::chrono::milliseconds handOver() const override;
        bool reopen(std::string* error) override;

    private:
        EspeakVoice& voice_;
    };

    EspeakEngine& engine_;
    std::unique_ptr<PlaybackOutput> output_;
    SharedOutput shared_{*this};
    int mode_ = 1;
    int speed_ = kNormalSpeed;

    // Guards the generation, the pending count and the hand-over of audio to the output, so
    // that nothing from before an AudioReset reaches the output after it.
    mutable std::mutex mutex_;
    unsigned generation_ = 0;
    int pending_ = 0;  // jobs of this generation not yet fully synthesized

    // Where each word of the text last spoken begins in the output's samples, in the order
    // spoken; kept until a new text is spoken or a reset.
    struct TimedWord {
        std::int64_t sample;  // where its sound begins among the samples given to the output
        std::int64_t end;     // where its text's sound ends; unknown (the largest) until then
        unsigned job;
        WordSpan span;
    };
    std::vector<TimedWord> words_;  // in the order spoken; pruned as they are heard
    std::int64_t written_ = 0;      // samples ever given to the output
    unsigned jobs_ = 0;             // numbers the texts spoken
    // The audible stretch of the last text's samples, and whether all of them are made.
    SoundSpan lastSpan_;
    bool lastDone_ = false;
};

}  // namespace vernalo
