#pragma once
// The headings of a document in the editor. Each is kept on its paragraph's block format
// (Qt's heading level and our title property), so it moves with its paragraph through
// every edit, undo and redo, and costs nothing while the text is typed; the list is found
// again from the blocks when it is wanted.

#include <QString>
#include <QTextFormat>
#include <optional>
#include <vector>

#include "documents/model/richdocument.h"

class QTextBlock;
class QTextCursor;
class QTextDocument;

#include "documents/model/bookdetails.h"

namespace vernalo {

// The heading's title as it was read, which need not be its paragraph's text (a book's
// table of contents names chapters in its own words).
inline constexpr int kHeadingTitleProperty = QTextFormat::UserProperty + 0x2700;

struct DocumentHeading {
    QString title;
    int level = 1;
    int position = 0;  // the start of its paragraph in the document, 0-based

    bool operator==(const DocumentHeading&) const = default;
};

// Marks the block the cursor is in as a heading.
void MarkHeadingBlock(QTextCursor& cursor, const Heading& heading);

// The headings in the order of the text. A block that carries the same heading as the one
// before it is that heading's paragraph split in two (Enter copies the block format), and
// is not listed again.
std::vector<DocumentHeading> DocumentHeadings(const QTextDocument& doc);

// The heading a position falls under: the index of the last one at or before it, or -1.
int HeadingAt(const std::vector<DocumentHeading>& headings, int position);

// Where the chapter holding a position ends: the next heading's start, or the text's end in
// the last chapter; none when the document has no headings.
std::optional<int> ChapterEndAfter(const QTextDocument& doc, int position);

// The document's own title (a book's), kept in the document's meta information.
void SetDocumentTitle(QTextDocument& doc, const std::u16string& title);
QString DocumentTitle(const QTextDocument& doc);
// What the book tells of itself besides (author, language, year, cover), kept beside it.
void SetDocumentBook(QTextDocument& doc, const BookDetails& book);
BookDetails DocumentBook(const QTextDocument& doc);

}  // namespace vernalo
