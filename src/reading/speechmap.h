#pragma once
// Where each stretch of a piece's speech comes from in the text: the voice reports the word
// it is saying as a span of the speech, and the window marks the text that span stands for.

#include <optional>
#include <vector>

namespace vernalo {

// A range of the text, in the session's 0-based positions.
struct TextSpan {
    long start = 0;
    long length = 0;
    bool operator==(const TextSpan&) const = default;
};

class SpeechMap {
public:
    // Appends `length` units of speech copied unit for unit from the text at `textStart`.
    void addCopy(long length, long textStart);
    // Appends `length` units of speech that stand for `text` as a whole (a dictionary value
    // for its key, or a word respelled).
    void addWhole(long length, TextSpan text);
    void clear() { stretches_.clear(); }
    bool empty() const { return stretches_.empty(); }

    // The text a span of the speech stands for: what it covers of copied stretches, and the
    // whole of any other stretch it touches. None when it touches nothing mapped.
    std::optional<TextSpan> textOf(long offset, long length) const;

private:
    struct Stretch {
        long speech;  // where it begins in the speech
        long length;
        TextSpan text;
        bool copy;
    };
    long end() const {
        return stretches_.empty() ? 0 : stretches_.back().speech + stretches_.back().length;
    }

    std::vector<Stretch> stretches_;
};

}  // namespace vernalo
