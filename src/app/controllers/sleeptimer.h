#pragma once
// Stops the reading after a time or at the end of the chapter, for listening in bed: the
// reading pauses as Pause pauses it, so Say goes on from there. The status bar shows the time
// left.

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/controllers/windowparts.h"

class QTimer;

namespace vernalo {

class ReadingController;

class SleepTimer : public QObject {
    Q_OBJECT
public:
    // Milliseconds from any fixed point; tests give their own.
    using Clock = std::function<std::int64_t()>;
    // Where the chapter after the one holding `position` begins (the text's end in the last
    // chapter); nothing when the document has no chapters.
    using NextChapter = std::function<std::optional<long>(long position)>;

    SleepTimer(const WindowParts& parts, ReadingController& reading, QObject* parent = nullptr);

    void setClock(Clock clock) { clock_ = std::move(clock); }
    // Where the chapters of the text shown begin, from whoever knows its headings.
    void setNextChapter(NextChapter next) { nextChapter_ = std::move(next); }
    bool chapterEndKnown() const;

    // The reading pauses `minutes` from now; 0 turns the timer off.
    void stopAfter(int minutes);
    // The reading pauses where the chapter being read ends.
    void stopAtChapterEnd();
    void turnOff() { stopAfter(0); }

    // Minutes chosen, 0 when off or at the chapter's end.
    int minutes() const { return minutes_; }
    bool atChapterEnd() const { return chapterEnd_.has_value(); }

private:
    void check();
    void pieceShown(long start, long length);
    void pauseReading();
    void showLeft();

    WindowParts parts_;
    ReadingController& reading_;
    Clock clock_;
    NextChapter nextChapter_;
    QTimer* ticks_ = nullptr;
    int minutes_ = 0;
    std::optional<std::int64_t> deadline_;
    std::optional<long> chapterEnd_;
};

}  // namespace vernalo
