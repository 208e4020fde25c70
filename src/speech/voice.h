#pragma once
// The synthesizer control: what the reading session and the voice controls ask of a voice.
// Two instances exist, one per language; both see the same modes under the same numbers.

#include <optional>
#include <string>

#include "text/language.h"

namespace vernalo {

// Speeds are in percent of a voice's normal rate, within these bounds, for the voices of every
// engine: a speed means the same whichever voice takes it.
inline constexpr int kMinSpeed = 50;
inline constexpr int kMaxSpeed = 250;
inline constexpr int kNormalSpeed = 100;

class Voice {
public:
    virtual ~Voice() = default;

    // Installed voices ("modes"), numbered 1..modeCount().
    virtual int modeCount() const = 0;
    // Contains "Russian" or "English" for voices of that language.
    virtual std::u16string modeName(int mode) const = 0;
    // The voice name shown in the voice lists and saved in the settings.
    virtual std::u16string speaker(int mode) const = 0;
    // The engine behind the mode, as the user may want to know it.
    virtual std::u16string productName(int mode) const = 0;
    // The pronunciation dictionaries are made for this mode's engine: they are loaded when it
    // speaks a language.
    virtual bool supportsDictionaries(int mode) const {
        (void)mode;
        return false;
    }
    // Afterwards the control speaks with that mode, and Speed/MinSpeed/MaxSpeed are its.
    virtual void select(int mode) = 0;

    // Speaking rate in percent of the voice's normal rate; applies to what is spoken next.
    virtual int speed() const = 0;
    virtual void setSpeed(int speed) = 0;
    virtual int minSpeed() const = 0;
    virtual int maxSpeed() const = 0;

    // Returns at once; the text is spoken in the background.
    virtual void speak(const std::u16string& text) = 0;
    // Non-zero from Speak until the audio has finished playing.
    virtual int speaking() const = 0;
    // Silences the control at once and drops what is queued.
    virtual void audioReset() = 0;

    // A hint that `text` is likely to be spoken next with the current mode and speed, so an
    // engine may synthesize it ahead and start it without a gap. Engines may ignore it.
    virtual void prepare(const std::u16string& text) { (void)text; }

    // A word within the text last given to Speak, in UTF-16 units.
    struct WordSpan {
        long offset = 0;
        long length = 0;
        bool operator==(const WordSpan&) const = default;
    };
    // The word whose sound is being heard at this moment, or none: between words, when
    // silent, and always for a voice that learns nothing of its words' timing.
    virtual std::optional<WordSpan> heardWord() const { return std::nullopt; }

    // The sound of the text last given to Speak, once all of it is made, in seconds: audible
    // from its first to its last audible sample, with the quiet before and after. None from a
    // voice whose sound does not pass through Vernalo (the pause after a piece then goes by
    // the clock alone).
    struct SoundLength {
        double audible = 0;
        double quietBefore = 0;
        double quietAfter = 0;
    };
    virtual std::optional<SoundLength> lastSound() const { return std::nullopt; }
};

// The first of `count` modes (named by `name(n)`, n from 1) whose name carries the
// language's word ("Russian", "English"), or 0.
template <class NameOf>
int FirstModeOf(int count, NameOf name, Language language) {
    const std::string word = LanguageName(language);
    const std::u16string wanted(word.begin(), word.end());
    for (int n = 1; n <= count; ++n)
        if (name(n).find(wanted) != std::u16string::npos) return n;
    return 0;
}

inline int FirstModeOf(const Voice& voice, Language language) {
    return FirstModeOf(
        voice.modeCount(), [&voice](int n) { return voice.modeName(n); }, language);
}

}  // namespace vernalo
