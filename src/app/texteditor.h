#pragma once
// The rich-text editor the text is read from, with what reading needs of it: the text as the
// reading sees it, selections by position, the caret's line and column, the line count, and
// whole-document replacement.

#include <QTextEdit>
#include <functional>
#include <string>

class QTextDocument;

namespace vernalo {

class TextEditor : public QTextEdit {
    Q_OBJECT
public:
    explicit TextEditor(QWidget* parent = nullptr);

    // One unit per editor position. Paragraph and line separators, and the marks where a
    // table and each of its cells begin and end, read as line breaks; an image as a space.
    std::u16string readingText() const;

    long selectionStart() const;
    // Selects [start, start + length), clamped to the text.
    void select(long start, long length);
    // Puts the caret at `position` for typing, never between the halves of a character
    // outside the basic plane.
    void placeCaretForTyping(long position);
    long caretColumn() const;
    long caretLine() const;
    // Lines of the text, a last empty line not counted.
    int lineCount() const;

    // Fills a new document and shows it; false (the editor unchanged) when `fill` fails.
    bool replaceDocument(const std::function<bool(QTextDocument&)>& fill);

signals:
    // The text changed, by typing or by a replacement of the whole document.
    void textEdited();
    // A key or mouse button was let go: the caret may have moved.
    void caretMayHaveMoved();
    // The whole document was replaced.
    void documentReplaced();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void watchDocument();
};

}  // namespace vernalo
