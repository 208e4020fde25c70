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
    // Last engine first: a later engine may speak on an earlier one's output.
    ~CombinedVoice() override {
        while (!engines_.empty())
            engines_.pop_back();
    }

    int modeCount() const override;
    std::u16string modeName(int mode) const override;
    std::u16string speaker(int mode) const override;
    std::u16string productName(int mode) const override;
    bool supportsDictionaries(int mode) const override;
    void select(int mode) override;
    int speed() const override { return current().speed(); }
    void setSpeed(int speed) override { current().setSpeed(speed); }
    int minSpeed() const override { return current().minSpeed(); }
    int maxSpeed() const override { return current().maxSpeed(); }
    void speak(const std::u16string& text) override { current().speak(text); }
    // Any engine still speaking counts: a voice changed mid-sentence ends its sentence.
    int speaking() const override;
    void audioReset() override;
    void prepare(const std::u16string& text) override { current().prepare(text); }
    std::optional<WordSpan> heardWord() const override { return current().heardWord(); }
    std::optional<SoundLength> lastSound() const override { return current().lastSound(); }

    Voice& engine(std::size_t index) { return *engines_[index]; }
    // The engine that speaks `mode`, or nullptr.
    const Voice* engineOf(int mode) const;

private:
    // The engine and its own mode number for `mode`; engine -1 when out of range.
    std::pair<int, int> locate(int mode) const;
    Voice& current() const { return *engines_[engine_]; }

    std::vector<std::unique_ptr<Voice>> engines_;
    int engine_ = 0;
};

}  // namespace vernalo
