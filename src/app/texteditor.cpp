#include "app/texteditor.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace vernalo {

TextEditor::TextEditor(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("textEditor"));
    setAccessibleName(QStringLiteral("Text"));
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

void TextEditor::watchDocument() {
    connect(document(), &QTextDocument::contentsChanged, this, &TextEditor::textEdited);
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
    // A document filled before the editor shows it is laid out once, not after every block:
    // a 5 MB file opens several times faster.
    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(document()->defaultFont());
    if (!fill(*doc)) {
        delete doc;
        return false;
    }
    setDocument(doc);  // the old document, also a child of the editor, goes
    watchDocument();
    emit documentReplaced();
    return true;
}

void TextEditor::keyReleaseEvent(QKeyEvent* event) {
    QTextEdit::keyReleaseEvent(event);
    emit caretMayHaveMoved();
}

void TextEditor::mouseReleaseEvent(QMouseEvent* event) {
    QTextEdit::mouseReleaseEvent(event);
    emit caretMayHaveMoved();
}

}  // namespace vernalo
