#pragma once
// A synthesizer control with scripted modes, for the selection logic.

#include <string>
#include <vector>

#include "speech/voice.h"

namespace vernalo::test {

struct FakeMode {
    std::u16string name, speaker, product = u"Other";
    int min = 50, max = 250, normal = 100;
};

class FakeVoice : public Voice {
public:
    explicit FakeVoice(std::vector<FakeMode> modes) : modes_(std::move(modes)) {
        if (!modes_.empty()) speed_ = modes_[0].normal;
    }
    int modeCount() const override { return static_cast<int>(modes_.size()); }
    std::u16string modeName(int n) const override { return at(n).name; }
    std::u16string speaker(int n) const override { return at(n).speaker; }
    std::u16string productName(int n) const override { return at(n).product; }
    // Scripted by product name: "DIGALO" stands for the built-in engine family.
    bool supportsDictionaries(int n) const override {
        return at(n).product.find(u"DIGALO") != std::u16string::npos;
    }
    void select(int n) override {
        selected = n;
        speed_ = at(n).normal;
        ++selects;
    }
    int speed() const override { return speed_; }
    void setSpeed(int s) override {
        speed_ = s;
        speeds.push_back(s);
    }
    int minSpeed() const override { return modes_.empty() ? 0 : at(selected).min; }
    int maxSpeed() const override { return modes_.empty() ? 10 : at(selected).max; }
    void speak(const std::u16string& text) override { spoken.push_back(text); }
    int speaking() const override { return 0; }
    void audioReset() override {}

    // An engine that finds a voice late.
    void add(FakeMode mode) { modes_.push_back(std::move(mode)); }

    int selected = 1;  // the control's mode before any Select
    int selects = 0;
    std::vector<int> speeds;
    std::vector<std::u16string> spoken;

private:
    const FakeMode& at(int n) const { return modes_.at(static_cast<std::size_t>(n - 1)); }
    std::vector<FakeMode> modes_;
    int speed_ = 100;
};

}  // namespace vernalo::test
