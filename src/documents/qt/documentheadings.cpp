#include "documents/qt/documentheadings.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVariant>
#include <algorithm>
#include <array>

namespace vernalo {

void MarkHeadingBlock(QTextCursor& cursor, const Heading& heading) {
    QTextBlockFormat f;
    f.setHeadingLevel(heading.level);
    f.setProperty(kHeadingTitleProperty,
                  QString(reinterpret_cast<const QChar*>(heading.title.data()),
                          static_cast<qsizetype>(heading.title.size())));
    cursor.mergeBlockFormat(f);
}

std::vector<DocumentHeading> DocumentHeadings(const QTextDocument& doc) {
    std::vector<DocumentHeading> out;
    // Most blocks share a few formats: each format is looked at once.
    std::vector<signed char> isHeading;
    int lastIndex = -1;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const int index = b.blockFormatIndex();
        if (index < 0) continue;
        if (static_cast<std::size_t>(index) >= isHeading.size())
            isHeading.resize(static_cast<std::size_t>(index) + 1, -1);
        signed char& known = isHeading[static_cast<std::size_t>(index)];
        if (known < 0) {
            const QTextBlockFormat f = b.blockFormat();
            known = f.headingLevel() > 0 && f.hasProperty(kHeadingTitleProperty);
        }
        if (!known) {
            lastIndex = -1;
            continue;
        }
        const bool continued = index == lastIndex;
        lastIndex = index;
        if (continued) continue;
        const QTextBlockFormat f = b.blockFormat();
        out.push_back({f.stringProperty(kHeadingTitleProperty), f.headingLevel(), b.position()});
    }
    return out;
}

int HeadingAt(const std::vector<DocumentHeading>& headings, int position) {
    const auto it =
        std::upper_bound(headings.begin(), headings.end(), position,
                         [](int p, const DocumentHeading& h) { return p < h.position; });
    return static_cast<int>(it - headings.begin()) - 1;
}

std::optional<int> ChapterEndAfter(const QTextDocument& doc, int position) {
    const std::vector<DocumentHeading> headings = DocumentHeadings(doc);
    if (headings.empty()) return std::nullopt;
    const int next = HeadingAt(headings, position) + 1;
    if (next < static_cast<int>(headings.size())) return headings[next].position;
    return doc.characterCount() - 1;
}

void SetDocumentTitle(QTextDocument& doc, const std::u16string& title) {
    doc.setMetaInformation(QTextDocument::DocumentTitle,
                           QString(reinterpret_cast<const QChar*>(title.data()),
                                   static_cast<qsizetype>(title.size())));
}

QString DocumentTitle(const QTextDocument& doc) {
    return doc.metaInformation(QTextDocument::DocumentTitle);
}

namespace {

// The properties the details are kept in, as bytes (UTF-8 for the texts).
constexpr const char* kBookFields[] = {"vernaloBookAuthor", "vernaloBookLanguage",
                                       "vernaloBookYear", "vernaloBookCover",
                                       "vernaloBookCoverType"};

template <class Book>
auto BookFields(Book& book) {
    return std::array{&book.author, &book.language, &book.year, &book.cover, &book.coverType};
}

}  // namespace

void SetDocumentBook(QTextDocument& doc, const BookDetails& book) {
    const auto fields = BookFields(book);
    for (std::size_t i = 0; i < fields.size(); ++i)
        doc.setProperty(kBookFields[i], QByteArray::fromStdString(*fields[i]));
}

BookDetails DocumentBook(const QTextDocument& doc) {
    BookDetails book;
    const auto fields = BookFields(book);
    for (std::size_t i = 0; i < fields.size(); ++i)
        *fields[i] = doc.property(kBookFields[i]).toByteArray().toStdString();
    return book;
}

}  // namespace vernalo
