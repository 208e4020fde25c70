#pragma once
// Keeps the piece being read in view: when it leaves the visible part of the text, the view
// turns so that it stands about a third from the top, a page at a time rather than a line
// for every word. A user who scrolled by hand in the last few seconds keeps the view.

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/controllers/windowparts.h"

namespace vernalo {

class ReadingController;

// Scrolls the editor so that `position` stands about a third from the top of its view.
void ShowAtThird(TextEditor& editor, long position);

class ReadingFollower : public QObject {
    Q_OBJECT
public:
    // Milliseconds from any fixed point; tests give their own.
    using Clock = std::function<std::int64_t()>;
    // How long a scroll by hand keeps the view where the user put it.
    static constexpr std::int64_t kHandScrollHoldMs = 5000;

    ReadingFollower(const WindowParts& parts, ReadingController& reading,
                    QObject* parent = nullptr);

    void setClock(Clock clock) { clock_ = std::move(clock); }
    // The view's answer to a piece shown: turned, or left as it is.
    void follow(long start, long length);

private:
    WindowParts parts_;
    Clock clock_;
    std::optional<std::int64_t> handScrolledAt_;
};

}  // namespace vernalo
