#include "app/controllers/readingfollower.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "app/controllers/monotonicms.h"
#include "app/controllers/readingcontroller.h"
#include "app/window/texteditor.h"

namespace vernalo {

namespace {

QRect CaretRect(const TextEditor& editor, long position) {
    QTextCursor c(editor.document());
    c.setPosition(static_cast<int>(
        std::clamp(position, 0L, static_cast<long>(editor.document()->characterCount() - 1))));
    return editor.cursorRect(c);
}

}  // namespace

void ShowAtThird(TextEditor& editor, long position) {
    QScrollBar* bar = editor.verticalScrollBar();
    bar->setValue(bar->value() + CaretRect(editor, position).top() -
                  editor.viewport()->height() / 3);
}

ReadingFollower::ReadingFollower(const WindowParts& parts, ReadingController& reading,
                                 QObject* parent)
    : QObject(parent), parts_(parts), clock_(&MonotonicMs) {
    setObjectName(QStringLiteral("readingFollower"));
    connect(&reading, &ReadingController::pieceShown, this, &ReadingFollower::follow);
    // The scroll bar's actions are the user's: the wheel, the keys, a drag or a click on it.
    // The view turned by the program triggers none.
    connect(parts_.editor()->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { handScrolledAt_ = clock_(); });
}

void ReadingFollower::follow(long start, long length) {
    if (handScrolledAt_ && clock_() - *handScrolledAt_ < kHandScrollHoldMs) return;
    handScrolledAt_.reset();
    TextEditor& editor = *parts_.editor();
    const int height = editor.viewport()->height();
    const QRect first = CaretRect(editor, start);
    if (first.top() >= 0 && first.bottom() < height) {
        // The piece's end may run below the view; its start stays in view the longer.
        const QRect last = length > 0 ? CaretRect(editor, start + length) : first;
        if (last.bottom() < height || last.top() - first.top() >= height * 2 / 3) return;
    }
    QScrollBar* bar = editor.verticalScrollBar();
    bar->setValue(bar->value() + first.top() - height / 3);
}
}  // namespace vernalo
