#include "app/controllers/readingplaces.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include "app/controllers/documentcommands.h"
#include "app/controllers/readingcontroller.h"
#include "app/controllers/readingfollower.h"
#include "app/controllers/windowpersistence.h"
#include "app/window/logging.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"
#include "documents/model/openkind.h"

namespace vernalo {

ReadingPlaces::ReadingPlaces(const WindowParts& parts, ReadingController& reading,
                             WindowPersistence& persistence, DocumentCommands& documents,
                             QObject* parent)
    : QObject(parent), parts_(parts), reading_(reading), persistence_(persistence) {
    TextEditor* editor = parts_.editor();
    connect(&documents, &DocumentCommands::openFinished, this, &ReadingPlaces::opened);
    editor->viewport()->installEventFilter(this);
    connect(editor, &TextEditor::documentReplaced, this, &ReadingPlaces::leave);
    // The selection start is where a reading stands (the piece read) or the caret is.
    connect(editor, &QTextEdit::cursorPositionChanged, this, [this, editor] {
        if (!shown_ || editor->document() != shown_) return;
        // The user put the caret somewhere before the place was reached: it stays there.
        dropPending();
        current_.position = editor->selectionStart();
    });
    connect(parts_.toolBars.action(Command::Say), &QAction::toggled, this, [this](bool on) {
        if (on) placeNow();
    });
}

void ReadingPlaces::load() {
    if (loaded_) return;
    loaded_ = true;
    std::string error;
    unreadable_ = !PlaceStore::load(PlacesPath(persistence_.baseDir()), store_, &error);
    if (unreadable_) qCWarning(lcApp) << "reading places:" << error.c_str();
}

void ReadingPlaces::save() {
    if (unreadable_ || persistence_.baseDir().empty()) return;
    std::string error;
    if (!store_.save(PlacesPath(persistence_.baseDir()), &error))
        qCWarning(lcApp) << "reading places:" << error.c_str();
}

void ReadingPlaces::leave() {
    dropPending();
    if (!shown_) return;
    store_.remember(current_);
    shown_ = nullptr;
}

void ReadingPlaces::opened(const QString& path, bool ok) {
    TextEditor* editor = parts_.editor();
    // A web page opens on the browser page; the editor keeps its text and its place.
    if (!ok || OpenRoadFor(path.toStdU16String()) == OpenRoad::Browser) return;
    load();
    leave();
    const QFileInfo file(path);
    current_ = {file.absoluteFilePath().toStdString(), file.size(),
                file.lastModified().toMSecsSinceEpoch(), 0};
    if (const std::optional<long> place =
            store_.find(current_.path, current_.size, current_.modified)) {
        pending_ = *place;
        reading_.setReadingPosition(*place);
        layoutWatch_ = connect(editor->document()->documentLayout(),
                               &QAbstractTextDocumentLayout::documentSizeChanged, this,
                               &ReadingPlaces::placeWhenLaidOut);
    }
    shown_ = editor->document();
    current_.position = pending_.value_or(editor->selectionStart());
    store_.remember(current_);
    save();
    placeWhenLaidOut();
}

bool ReadingPlaces::eventFilter(QObject* watched, QEvent* event) {
    // The editor's layout in steps would take a long book longer to get to the place than
    // laying it out at once; the text opened is painted first.
    if (pending_ && event->type() == QEvent::Paint)
        QTimer::singleShot(0, this, &ReadingPlaces::placeNow);
    return QObject::eventFilter(watched, event);
}

void ReadingPlaces::placeWhenLaidOut() {
    if (!pending_) return;
    const QTextBlock block = parts_.editor()->document()->findBlock(static_cast<int>(*pending_));
    if (block.isValid() && block.layout() && block.layout()->lineCount() > 0) placeNow();
}

void ReadingPlaces::placeNow() {
    if (!pending_) return;
    const long place = *pending_;
    dropPending();
    TextEditor* editor = parts_.editor();
    editor->placeCaretForTyping(place);
    reading_.setReadingPosition(editor->selectionStart());
    // Say goes on with the piece that was being read, as after a pause.
    reading_.session().setPaused(true);
    ShowAtThird(*editor, editor->selectionStart());
}

void ReadingPlaces::dropPending() {
    pending_.reset();
    disconnect(layoutWatch_);
}

void ReadingPlaces::saveOnClose() {
    leave();
    if (loaded_) save();
}

}  // namespace vernalo
