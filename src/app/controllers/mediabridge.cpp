#include "app/controllers/mediabridge.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "app/controllers/readingcontroller.h"
#include "app/window/documentpages.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"
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

MediaBridge::MediaBridge(const WindowParts& parts, ReadingController& reading,
                         std::function<void()> raise, std::function<void()> quit, QObject* parent)
    : QObject(parent), parts_(parts) {
    QAction* say = parts_.toolBars.action(Command::Say);
    MediaPlayerService::Commands c;
    c.play = [say] {
        if (!say->isChecked()) say->trigger();
    };
    c.pause = [say] {
        if (say->isChecked()) say->trigger();
    };
    c.stop = c.pause;
    c.playPause = [say] { say->trigger(); };
    c.next = [&reading] { reading.skipPiece(true); };
    c.previous = [&reading] { reading.skipPiece(false); };
    c.raise = std::move(raise);
    c.quit = std::move(quit);
    media_ = new MediaPlayerService(std::move(c), this);

    connect(&reading, &ReadingController::readingStarted, this,
            [this] { media_->setStatus(MediaPlayerService::Status::Playing); });
    connect(&reading, &ReadingController::readingStopped, this, [this](ReadingStop why) {
        media_->setStatus(why == ReadingStop::Paused ? MediaPlayerService::Status::Paused
                                                     : MediaPlayerService::Status::Stopped);
    });
    connect(&reading, &ReadingController::pieceShown, this, &MediaBridge::showTitles);
    connect(parts_.editor(), &TextEditor::textEdited, this, &MediaBridge::textChanged);
    connect(parts_.editor(), &TextEditor::documentReplaced, this, &MediaBridge::textChanged);
    textChanged();
}

void MediaBridge::textChanged() {
    media_->setHasText(!parts_.editor()->document()->isEmpty());
    showTitles();
}

bool MediaBridge::registerOnBus() {
    return media_->registerOnBus();
}

void MediaBridge::showTitles() {
    const QString file = parts_.documents.fileName()->text();
    const QString document = file.isEmpty()
                                 ? FirstWords(TextStart(parts_.editor()->document(), 6 * 30), 6)
                                 : QFileInfo(file).fileName();
    media_->setTitles(document, FirstWords(parts_.editor()->textCursor().selectedText(), 40));
}

}  // namespace vernalo
