#include "app/window/texteditor.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <algorithm>
#include <memory>

namespace vernalo {

TextEditor::TextEditor(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("textEditor"));
    setAccessibleName(tr("Text"));
    setAcceptRichText(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    // The piece being read stays highlighted while another control has the focus.
    QPalette p = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
    setPalette(p);
    watchDocument();
}

TextEditor::~TextEditor() {
    forget(before_);
    forget(after_);
}

void TextEditor::watchDocument() {
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        // A new edit starts a new branch: the texts ahead of it can no longer be redone.
        if (appending_) return;
        if (!undoing_) forget(after_);
        emit textEdited();
    });
}

void TextEditor::appendPage(const QTextDocument& page) {
    QTextDocument* doc = document();
    appending_ = true;
    // The page is part of the replacement the first page made: one undo step for them all.
    doc->setUndoRedoEnabled(false);
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.insertBlock();
    end.insertBlock();
    end.insertFragment(QTextDocumentFragment(&page));
    doc->setUndoRedoEnabled(true);
    appending_ = false;
}

void TextEditor::dropReplacement() {
    if (before_.empty()) return;
    const Kept kept = before_.back();
    before_.pop_back();
    QTextDocument* dropped = document();
    showDocument(kept.document, kept.caret);
    delete dropped;
    emit documentReplaced();
}

void TextEditor::forget(std::vector<Kept>& texts) {
    for (const Kept& k : texts)
        delete k.document;
    texts.clear();
}

void TextEditor::showDocument(QTextDocument* doc, int caret) {
    QTextDocument* old = document();
    disconnect(old, nullptr, this, nullptr);
    // The editor deletes a document that is its own; this one is kept or deleted here.
    old->setParent(this);
    doc->setDefaultFont(old->defaultFont());
    setDocument(doc);
    watchDocument();
    QTextCursor c(doc);
    c.setPosition(std::clamp(caret, 0, doc->characterCount() - 1));
    setTextCursor(c);
}

std::u16string TextEditor::readingText() const {
    // Raw text keeps one unit per editor position; left as they are, the separators and
    // object marks would glue the words around them into one.
    std::u16string text = document()->toRawText().toStdU16String();
    for (char16_t& c : text) {
        if (c == u'\u2029' || c == u'\u2028' || c == 0xFDD0 || c == 0xFDD1)
            c = u'\n';
        else if (c == u'\uFFFC')
            c = u' ';
    }
    return text;
}

long TextEditor::selectionStart() const {
    return textCursor().selectionStart();
}

void TextEditor::select(long start, long length) {
    const long last = document()->characterCount() - 1;
    start = std::clamp(start, 0L, last);
    const long end = std::clamp(start + std::max(length, 0L), start, last);
    QTextCursor c(document());
    c.setPosition(static_cast<int>(start));
    c.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void TextEditor::markWord(long start, long length) {
    const long last = document()->characterCount() - 1;
    start = std::clamp(start, 0L, last);
    const long end = std::clamp(start + std::max(length, 0L), start, last);
    if (end > start) {
        mark_ = QTextCursor(document());
        mark_.setPosition(static_cast<int>(start));
        mark_.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    } else if (mark_.isNull()) {
        return;
    } else {
        mark_ = QTextCursor();
    }
    viewport()->update();
}

std::pair<long, long> TextEditor::markedWord() const {
    if (mark_.isNull() || mark_.document() != document() || !mark_.hasSelection()) return {0, 0};
    return {mark_.selectionStart(), mark_.selectionEnd() - mark_.selectionStart()};
}

void TextEditor::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    const auto [start, length] = markedWord();
    if (length == 0) return;
    // Drawn over the text: the selection's colours would cover any format of the word's own.
    // A frame around each line's part of the word, in the selection's text colour inside it.
    const QTextCursor sel = textCursor();
    const bool inside = sel.selectionStart() <= start && start + length <= sel.selectionEnd();
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(inside ? QPalette::HighlightedText : QPalette::Highlight), 2));
    QTextCursor c(document());
    QRect line;
    auto flush = [&] {
        if (line.width() > 0) p.drawRoundedRect(QRectF(line).adjusted(-1, 0, 1, 0), 3, 3);
        line = QRect();
    };
    for (long i = start; i < start + length; ++i) {
        c.setPosition(static_cast<int>(i));
        const QRect a = cursorRect(c);
        c.setPosition(static_cast<int>(i + 1));
        const QRect b = cursorRect(c);
        // A character at a line's end: the next position is on the line below.
        const bool sameLine = b.left() > a.left() && b.top() <= a.bottom();
        const int right = sameLine ? b.left() : a.left() + fontMetrics().averageCharWidth();
        if (!line.isNull() && (a.top() > line.bottom() || a.left() < line.left())) flush();
        const QRect piece(QPoint(a.left(), a.top()),
                          QPoint(std::max(right, a.left() + 1), a.bottom()));
        line = line.isNull() ? piece : line.united(piece);
    }
    flush();
}

void TextEditor::placeCaretForTyping(long position) {
    const QTextDocument* doc = document();
    const long last = doc->characterCount() - 1;
    long at = std::clamp(position, 0L, last);
    // Typing between the two halves of a character would break it apart.
    if (at > 0 && doc->characterAt(static_cast<int>(at)).isLowSurrogate() &&
        doc->characterAt(static_cast<int>(at - 1)).isHighSurrogate())
        --at;
    QTextCursor c = textCursor();
    c.setPosition(static_cast<int>(at));
    setTextCursor(c);
    ensureCursorVisible();
}

long TextEditor::caretColumn() const {
    return textCursor().positionInBlock();
}

long TextEditor::caretLine() const {
    return textCursor().blockNumber();
}

int TextEditor::lineCount() const {
    const QTextDocument* doc = document();
    int n = doc->blockCount();
    if (doc->lastBlock().length() <= 1) --n;
    return std::max(n, 0);
}

bool TextEditor::replaceDocument(const std::function<bool(QTextDocument&)>& fill) {
    // A document filled before the editor shows it is laid out once, as it is shown: a 5 MB
    // file opens several times faster than when the editor's own document is refilled.
    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(document()->defaultFont());
    if (!fill(*doc)) {
        delete doc;
        return false;
    }
    replaceDocument(doc);
    return true;
}

void TextEditor::replaceDocument(QTextDocument* doc) {
    doc->setParent(this);
    QTextDocument* old = document();
    // What was undone before the replacement stays undone: redo goes forward from here.
    old->clearUndoRedoStacks(QTextDocument::RedoStack);
    const int caret = textCursor().position();
    forget(after_);
    showDocument(doc, 0);
    before_.push_back({old, caret});
    // The oldest go first; the last replaced text always stays, however long.
    const auto length = [this] {
        long n = 0;
        for (const Kept& k : before_)
            n += k.document->characterCount();
        return n;
    };
    while (before_.size() > 1 && (before_.size() > kKeptTexts || length() > kKeptCharacters)) {
        delete before_.front().document;
        before_.erase(before_.begin());
    }
    emit documentReplaced();
}

bool TextEditor::loadDocument(const std::function<bool(QTextDocument&)>& fill) {
    if (!replaceDocument(fill)) return false;
    forget(before_);
    return true;
}

void TextEditor::undoStep() {
    step(true);
}

void TextEditor::redoStep() {
    step(false);
}

void TextEditor::step(bool back) {
    if (isReadOnly()) return;
    // Typing's own undo and redo come first; past them, the documents a replacement kept.
    std::vector<Kept>& from = back ? before_ : after_;
    std::vector<Kept>& to = back ? after_ : before_;
    const bool ownStep = back ? document()->isUndoAvailable() : document()->isRedoAvailable();
    if (ownStep || from.empty()) {
        undoing_ = true;
        back ? undo() : redo();
        undoing_ = false;
        return;
    }
    const Kept kept = from.back();
    from.pop_back();
    to.push_back({document(), static_cast<int>(textCursor().position())});
    showDocument(kept.document, kept.caret);
    emit textEdited();
    emit documentReplaced();
}

void TextEditor::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Undo) {
        undoStep();
        event->accept();
        return;
    }
    if (event == QKeySequence::Redo) {
        redoStep();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TextEditor::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's Undo and Redo take the same steps as the keys, whole-text changes included.
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    for (QAction* action : menu->actions()) {
        const bool undo = action->objectName() == QLatin1String("edit-undo");
        const bool redo = action->objectName() == QLatin1String("edit-redo");
        if (!undo && !redo) continue;
        action->disconnect();
        const bool any = undo ? document()->isUndoAvailable() || !before_.empty()
                              : document()->isRedoAvailable() || !after_.empty();
        action->setEnabled(any && !isReadOnly());
        connect(action, &QAction::triggered, this,
                undo ? &TextEditor::undoStep : &TextEditor::redoStep);
    }
    emit contextMenuOpening(menu.get());
    menu->exec(event->globalPos());
}

void TextEditor::keyReleaseEvent(QKeyEvent* event) {
    QTextEdit::keyReleaseEvent(event);
    emit caretMayHaveMoved();
}

void TextEditor::mouseReleaseEvent(QMouseEvent* event) {
    QTextEdit::mouseReleaseEvent(event);
    emit caretMayHaveMoved();
}

QStringList LocalFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile());
    return paths;
}

void TextEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (LocalFiles(event->mimeData()).isEmpty())
        QTextEdit::dragEnterEvent(event);
    else
        event->acceptProposedAction();
}

void TextEditor::dragMoveEvent(QDragMoveEvent* event) {
    if (LocalFiles(event->mimeData()).isEmpty())
        QTextEdit::dragMoveEvent(event);
    else
        event->acceptProposedAction();
}

void TextEditor::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) {
        QTextEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}

}  // namespace vernalo
