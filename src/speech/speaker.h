#pragma once
// What the reading session asks of a voice while it reads: speak a piece, say whether it still
// sounds, silence it, take a hint, and tell which word is heard and how long the sound was.

#include <optional>
#include <string>

namespace vernalo {

class Speaker {
public:
    virtual ~Speaker() = default;

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

}  // namespace vernalo
