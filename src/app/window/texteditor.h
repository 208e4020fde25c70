#pragma once
// The rich-text editor the text is read from, with what reading needs of it: the text as the
// reading sees it, selections by position, the caret's line and column, the line count, and
// whole-document replacement.

#include <QTextCursor>
#include <QTextEdit>
#include <functional>
#include <string>
#include <vector>

class QMenu;
class QMimeData;
class QTextDocument;

namespace vernalo {

// The local files a drag carries, in its order; empty for text and for remote addresses.
QStringList LocalFiles(const QMimeData* data);

class TextEditor : public QTextEdit {
    Q_OBJECT
public:
    explicit TextEditor(QWidget* parent = nullptr);
    ~TextEditor() override;

    // One unit per editor position. Paragraph and line separators, and the marks where a
    // table and each of its cells begin and end, read as line breaks; an image as a space.
    std::u16string readingText() const;

    long selectionStart() const;
    // Selects [start, start + length), clamped to the text.
    void select(long start, long length);
    // Marks [start, start + length) over whatever is selected, outside the document and its
    // undo history; an empty range removes the mark.
    void markWord(long start, long length);
    // The marked range, or an empty one.
    std::pair<long, long> markedWord() const;
    // Puts the caret at `position` for typing, never between the halves of a character
    // outside the basic plane.
    void placeCaretForTyping(long position);
    long caretColumn() const;
    long caretLine() const;
    // Lines of the text, a last empty line not counted.
    int lineCount() const;

    // Fills a new document and shows it in place of the whole text, as one step that
    // undoStep takes back; false (the editor unchanged) when `fill` fails.
    bool replaceDocument(const std::function<bool(QTextDocument&)>& fill);
    // As above, with a document filled elsewhere (in this thread's hands now); the editor
    // takes it over.
    void replaceDocument(QTextDocument* filled);
    // Appends `page` to the text after an empty line, outside the undo history and without
    // textEdited: a reading under way goes on over the text before it. For pages that come
    // one by one after a replaceDocument.
    void appendPage(const QTextDocument& page);
    // Takes back the last replaceDocument as if it had not been: the text before it comes
    // back, and nothing is left for redo.
    void dropReplacement();
    // As replaceDocument, with nothing to go back to: the text loaded at start-up.
    bool loadDocument(const std::function<bool(QTextDocument&)>& fill);

    // Ctrl+Z and Ctrl+Shift+Z: typing is undone as the document undoes it; past the first
    // edit of a text, the text it replaced comes back (and goes again on redo).
    void undoStep();
    void redoStep();

signals:
    // The text changed, by typing or by a replacement of the whole document.
    void textEdited();
    // A key or mouse button was let go: the caret may have moved.
    void caretMayHaveMoved();
    // The whole document was replaced.
    void documentReplaced();
    // Files were dropped on the text: they are to be opened, not their names inserted.
    void filesDropped(const QStringList& paths);
    // The context menu is about to open: items may be added to it.
    void contextMenuOpening(QMenu* menu);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // A whole text replaced or taken back, with its own undo history and its caret.
    struct Kept {
        QTextDocument* document;
        int caret;
    };
    // How many replaced texts are kept for undo, and how long they may be together: each may
    // be a large document.
    static constexpr std::size_t kKeptTexts = 10;
    static constexpr long kKeptCharacters = 30'000'000;

    void watchDocument();
    void forget(std::vector<Kept>& texts);
    void showDocument(QTextDocument* doc, int caret);

    void step(bool back);
    std::vector<Kept> before_;  // texts undo brings back, the last one first
    std::vector<Kept> after_;   // texts redo brings back
    bool undoing_ = false;      // the document changes by its own undo or redo
    bool appending_ = false;    // a page is being appended: no edit of the user's
    // The word mark; it follows edits of the text as any cursor does.
    QTextCursor mark_;
};

}  // namespace vernalo
