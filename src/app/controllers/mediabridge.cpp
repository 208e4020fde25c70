// The reading as the desktop's media controls and the keyboard's media keys see it: Play and
// Pause are Say, Next and Previous move the reading by one piece.

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "app/window/mainwindow.h"
#include "app/window/texteditor.h"
#include "mpris/mediaplayerservice.h"

namespace vernalo {

namespace {

// A title for the media widget: the first words of a text, on one line. Only the text's start
// is looked at: this runs on every key typed, and a text may be one long paragraph.
QString FirstWords(QString text, int words) {
    text.truncate(words * 30);
    text.replace(QChar::ParagraphSeparator, u' ');
    text.replace(QChar::LineSeparator, u' ');
    const QStringList parts = text.simplified().split(u' ', Qt::SkipEmptyParts);
    return parts.mid(0, words).join(u' ');
}

// The first `length` characters of a document, without copying the rest.
QString TextStart(QTextDocument* doc, int length) {
    QTextCursor c(doc);
    c.setPosition(std::min(length, doc->characterCount() - 1), QTextCursor::KeepAnchor);
    return c.selectedText();
}

}  // namespace

void MainWindow::setupMediaControls() {
    QAction* say = toolBars_->action(Command::Say);
    MediaPlayerService::Commands c;
    c.play = [say] {
        if (!say->isChecked()) say->trigger();
    };
    c.pause = [say] {
        if (say->isChecked()) say->trigger();
    };
    c.stop = c.pause;
    c.playPause = [say] { say->trigger(); };
    c.next = [this] { skipPiece(true); };
    c.previous = [this] { skipPiece(false); };
    c.raise = [this] { bringForward(); };
    c.quit = [this] { close(); };
    media_ = new MediaPlayerService(std::move(c), this);

    readingView_->onReadingStarted = [this] {
        media_->setStatus(MediaPlayerService::Status::Playing);
    };
    readingView_->onReadingStopped = [this](ReadingStop why) {
        media_->setStatus(why == ReadingStop::Paused ? MediaPlayerService::Status::Paused
                                                     : MediaPlayerService::Status::Stopped);
    };
    readingView_->onPieceShown = [this](long start, long) {
        if (pieceStarts_.size() > 100'000) pieceStarts_.clear();
        pieceStarts_.insert(start);
        showMediaTitles();
    };
    const auto textChanged = [this] {
        pieceStarts_.clear();
        media_->setHasText(!editor()->document()->isEmpty());
        showMediaTitles();
    };
    connect(editor(), &TextEditor::textEdited, this, textChanged);
    connect(editor(), &TextEditor::documentReplaced, this, textChanged);
    textChanged();
}

bool MainWindow::registerMediaControls() {
    return media_->registerOnBus();
}

void MainWindow::showMediaTitles() {
    const QString file = documentPages_->fileName()->text();
    const QString document = file.isEmpty() ? FirstWords(TextStart(editor()->document(), 6 * 30), 6)
                                            : QFileInfo(file).fileName();
    media_->setTitles(document, FirstWords(editor()->textCursor().selectedText(), 40));
}

void MainWindow::skipPiece(bool forward) {
    QAction* say = toolBars_->action(Command::Say);
    if (!say->isEnabled() || editor()->document()->isEmpty()) return;
    // Paused, the selection stays on the piece that was being read.
    if (say->isChecked()) say->trigger();
    const QTextCursor c = editor()->textCursor();
    long target = c.selectionEnd();
    if (!forward) {
        // The piece read before this one; at the first piece read, this one again.
        const long start = c.selectionStart();
        const auto it = pieceStarts_.lower_bound(start);
        target = it == pieceStarts_.begin() ? start : *std::prev(it);
    }
    editor()->select(target, 0);
    session_->setPaused(true);  // resume exactly there, not a character before
    say->trigger();
}

}  // namespace vernalo
