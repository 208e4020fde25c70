#pragma once
// A scripted voice that keeps speaking until told to stop, so a reading stays on its piece.

#include "support/fakevoice.h"

namespace vernalo::test {

class HoldingVoice : public FakeVoice {
public:
    using FakeVoice::FakeVoice;
    void speak(const std::u16string& text) override {
        FakeVoice::speak(text);
        speaking_ = true;
    }
    int speaking() const override { return speaking_ && holding ? 1 : 0; }
    void audioReset() override { speaking_ = false; }
    // False: every voice goes quiet at once and the reading runs on.
    static inline bool holding = true;

private:
    bool speaking_ = false;
};

}  // namespace vernalo::test
