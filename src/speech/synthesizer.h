#pragma once
// The synthesizer control: what the reading session and the voice controls ask of a voice.
// Two instances exist, one per language; both see the same modes under the same numbers.

#include <string>

namespace vernalo {

class TDirectSS {
public:
    virtual ~TDirectSS() = default;

    // Installed voices ("modes"), numbered 1..ModeCount().
    virtual int ModeCount() const = 0;
    // Contains "Russian" or "English" for voices of that language.
    virtual std::u16string ModeName(int mode) const = 0;
    // The voice name shown in the voice lists and saved in the settings.
    virtual std::u16string Speaker(int mode) const = 0;
    // Contains "DIGALO" for the engine family the pronunciation dictionaries are made for.
    virtual std::u16string ProductName(int mode) const = 0;
    // Afterwards the control speaks with that mode, and Speed/MinSpeed/MaxSpeed are its.
    virtual void Select(int mode) = 0;

    // Speaking rate in percent of the voice's normal rate; applies to what is spoken next.
    virtual int Speed() const = 0;
    virtual void SetSpeed(int speed) = 0;
    virtual int MinSpeed() const = 0;
    virtual int MaxSpeed() const = 0;

    // Returns at once; the text is spoken in the background.
    virtual void Speak(const std::u16string& text) = 0;
    // Non-zero from Speak until the audio has finished playing.
    virtual int Speaking() const = 0;
    // Silences the control at once and drops what is queued.
    virtual void AudioReset() = 0;

    // A hint that `text` is likely to be spoken next with the current mode and speed, so an
    // engine may synthesize it ahead and start it without a gap. Engines may ignore it.
    virtual void Prepare(const std::u16string& text) { (void)text; }
};

}  // namespace vernalo
