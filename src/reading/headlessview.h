#pragma once
// The text of a window nobody sees: the reading goes on from the start to the end. What the
// session shows and speaks is passed on to whoever listens (an export, the command line).

#include <functional>
#include <string>
#include <utility>

#include "reading/readingsession.h"

namespace vernalo {

class HeadlessView : public SessionView {
public:
    HeadlessView(std::u16string text, ReadingOptions options)
        : text_(std::move(text)), options_(options) {}

    std::u16string text() const override { return text_; }
    long selectionStart() const override { return 0; }
    ReadingOptions options() const override { return options_; }
    void showPiece(long start, long length) override {
        if (onPiece) onPiece(start, length);
    }
    void pieceSpoken(const SpokenPiece& piece) override {
        if (onSpoken) onSpoken(piece);
    }

    // Called with the start and length of each piece highlighted.
    std::function<void(long, long)> onPiece;
    // Called for each repetition of a piece, just before it goes to its voice.
    std::function<void(const SpokenPiece&)> onSpoken;

private:
    std::u16string text_;
    ReadingOptions options_;
};

}  // namespace vernalo
