#include "app/controllers/sleeptimer.h"

#include <QAction>
#include <QTimer>

#include "app/controllers/monotonicms.h"
#include "app/controllers/readingcontroller.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"

namespace vernalo {

SleepTimer::SleepTimer(const WindowParts& parts, ReadingController& reading, QObject* parent)
    : QObject(parent), parts_(parts), reading_(reading), clock_(&MonotonicMs) {
    setObjectName(QStringLiteral("sleepTimer"));
    ticks_ = new QTimer(this);
    // Often enough for the shown seconds to change one by one.
    ticks_->setInterval(250);
    connect(ticks_, &QTimer::timeout, this, &SleepTimer::check);
    connect(&reading_, &ReadingController::pieceShown, this,
            [this](long start, long length) { pieceShown(start, length); });
    // A chapter's end belongs to the text it was found in.
    connect(parts_.editor(), &TextEditor::documentReplaced, this, [this] {
        if (chapterEnd_) turnOff();
    });
    // The text read to its end: the last chapter's end came with it.
    connect(&reading_, &ReadingController::readingStopped, this, [this](ReadingStop why) {
        if (why == ReadingStop::TextEnd && chapterEnd_) turnOff();
    });
}

bool SleepTimer::chapterEndKnown() const {
    return nextChapter_ && nextChapter_(parts_.editor()->selectionStart()).has_value();
}

void SleepTimer::stopAfter(int minutes) {
    chapterEnd_.reset();
    minutes_ = std::max(minutes, 0);
    if (minutes_ > 0) {
        deadline_ = clock_() + std::int64_t{minutes_} * 60'000;
        ticks_->start();
    } else {
        deadline_.reset();
        ticks_->stop();
    }
    showLeft();
}

void SleepTimer::stopAtChapterEnd() {
    stopAfter(0);
    if (nextChapter_) chapterEnd_ = nextChapter_(parts_.editor()->selectionStart());
    showLeft();
}

void SleepTimer::check() {
    if (deadline_ && clock_() >= *deadline_) {
        pauseReading();
        return;
    }
    showLeft();
}

void SleepTimer::pieceShown(long start, long length) {
    // The first piece that reaches into the next chapter is paused on, so Say begins there; it
    // may begin with the line break before the heading.
    if (chapterEnd_ && start + std::max(length, 1L) > *chapterEnd_) pauseReading();
}

void SleepTimer::pauseReading() {
    turnOff();
    QAction* say = parts_.toolBars.action(Command::Say);
    if (!say->isChecked()) return;
    say->trigger();
    parts_.status.setText(StatusPanel::Activity, tr("Reading paused by the sleep timer"));
}

void SleepTimer::showLeft() {
    QString text;
    if (chapterEnd_) {
        text = tr("Chapter");
    } else if (deadline_) {
        const std::int64_t seconds =
            std::max<std::int64_t>(0, (*deadline_ - clock_() + 999) / 1000);
        text = QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    parts_.status.setText(StatusPanel::SleepTimer, text);
}
}  // namespace vernalo
