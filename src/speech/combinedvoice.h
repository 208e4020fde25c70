#pragma once
// One synthesizer control over several engines: their modes follow each other, the first
// engine's first, and each call goes to the engine of the selected mode.

#include <memory>
#include <vector>

#include "speech/voice.h"

namespace vernalo {

class CombinedVoice : public Voice {
public:
    // At least one engine; engines without a voice may be among them. The control speaks with
    // the first mode at first.
    explicit CombinedVoice(std::vector<std::unique_ptr<Voice>> engines);

    int ModeCount() const override;
    std::u16string ModeName(int mode) const override;
    std::u16string Speaker(int mode) const override;
    std::u16string ProductName(int mode) const override;
    bool SupportsDictionaries(int mode) const override;
    void Select(int mode) override;
    int Speed() const override { return current().Speed(); }
    void SetSpeed(int speed) override { current().SetSpeed(speed); }
    int MinSpeed() const override { return current().MinSpeed(); }
    int MaxSpeed() const override { return current().MaxSpeed(); }
    void Speak(const std::u16string& text) override { current().Speak(text); }
    // Any engine still speaking counts: a voice changed mid-sentence ends its sentence.
    int Speaking() const override;
    void AudioReset() override;
    void Prepare(const std::u16string& text) override { current().Prepare(text); }
    std::optional<WordSpan> HeardWord() const override { return current().HeardWord(); }

    Voice& Engine(std::size_t index) { return *engines_[index]; }
    // The engine that speaks `mode`, or nullptr.
    const Voice* EngineOf(int mode) const;

private:
    // The engine and its own mode number for `mode`; engine -1 when out of range.
    std::pair<int, int> Locate(int mode) const;
    Voice& current() const { return *engines_[engine_]; }

    std::vector<std::unique_ptr<Voice>> engines_;
    int engine_ = 0;
};

}  // namespace vernalo
