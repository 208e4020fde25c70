#include "app/controllers/contentscontroller.h"

#include <QAction>
#include <QScrollBar>
#include <QTimer>

#include "app/controllers/readingcontroller.h"
#include "app/window/contentspanel.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"

namespace vernalo {

namespace {

// Edits are listed once typing pauses this long: a heading list rebuilt per key would cost
// a big book's blocks each time.
constexpr int kSettleMs = 400;

}  // namespace

ContentsController::ContentsController(const WindowParts& parts, ReadingController& reading,
                                       ContentsPanel& panel, QObject* parent)
    : QObject(parent), parts_(parts), reading_(reading), panel_(panel) {
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, &ContentsController::refresh);
    TextEditor* editor = parts_.editor();
    connect(editor, &TextEditor::documentReplaced, this, [this] {
        stale_ = true;
        settle_->stop();
        refresh();
    });
    connect(editor, &TextEditor::textEdited, this, [this] {
        stale_ = true;
        settle_->start();
    });
    // Shown by View > Contents, or as the window comes up with it.
    const auto shown = [this](bool on) {
        if (on && stale_) refresh();
    };
    connect(&panel_, &QDockWidget::visibilityChanged, this, shown);
    connect(panel_.toggleViewAction(), &QAction::toggled, this, shown);
    connect(&panel_, &ContentsPanel::chosen, this, &ContentsController::jumpTo);
    connect(&reading_, &ReadingController::pieceShown, this,
            [this](long start, long) { follow(start); });
    connect(editor, &TextEditor::caretMayHaveMoved, this, [this] {
        if (!reading_.session().running()) follow(parts_.editor()->selectionStart());
    });
}

void ContentsController::refresh() {
    if (panel_.isHidden()) return;
    stale_ = false;
    headings_ = DocumentHeadings(*parts_.editor()->document());
    panel_.setHeadings(headings_);
    follow(parts_.editor()->selectionStart());
}

void ContentsController::follow(long position) {
    if (stale_ || panel_.isHidden()) return;
    panel_.markCurrent(HeadingAt(headings_, static_cast<int>(position)));
}

void ContentsController::jumpTo(int index) {
    if (index < 0 || index >= static_cast<int>(headings_.size())) return;
    TextEditor* editor = parts_.editor();
    const long position = headings_[static_cast<std::size_t>(index)].position;
    QAction* say = parts_.toolBars.action(Command::Say);
    const bool reading = say->isChecked() && reading_.session().running();
    // As the media keys' steps do: pause, move, and go on exactly there.
    if (reading) say->trigger();
    editor->select(position, 0);
    // The heading at the top of the view, with its chapter below it.
    QScrollBar* bar = editor->verticalScrollBar();
    bar->setValue(bar->value() + editor->cursorRect().top());
    panel_.markCurrent(index);
    if (reading) {
        reading_.session().setPaused(true);
        say->trigger();
    } else {
        editor->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace vernalo
