#pragma once
// The synthesizer control: what the voice controls ask of a voice, besides what the reading
// session asks of it as a Speaker. Two instances exist, one per language; both see the same
// modes under the same numbers.

#include <string>

#include "speech/speaker.h"
#include "text/language.h"

namespace vernalo {

// Speeds are in percent of a voice's normal rate, within these bounds, for the voices of every
// engine: a speed means the same whichever voice takes it.
inline constexpr int kMinSpeed = 50;
inline constexpr int kMaxSpeed = 250;
inline constexpr int kNormalSpeed = 100;

// A Speaker that can be chosen and set: its modes, its speed and its dictionaries.
class Voice : public Speaker {
public:
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
