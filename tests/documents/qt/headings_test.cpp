// The headings every reader finds, as the editor's document keeps them: in order, at the
// paragraphs that hold them, and with them through edits.

#include <gtest/gtest.h>

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "documents/html/htmltortf.h"
#include "documents/qt/documentheadings.h"
#include "documents/qt/documentio.h"

namespace vernalo {
namespace {

struct Expected {
    const char* title;
    int level;
};

struct HeadingCase {
    const char* file;  // under tests/data
    std::vector<Expected> headings;
    const char* bookTitle = "";
};

const std::vector<Expected> kBook = {
    {"Глава первая: Spring", 1}, {"Что мы взяли", 2}, {"Стихи", 2}, {"Глава вторая: Evening", 1}};
const std::vector<Expected> kOffice = {{"Отчёт о поездке: Trip report", 1},
                                       {"Что мы видели", 2},
                                       {"Расходы / Expenses", 2},
                                       {"Итог", 3}};

std::vector<Expected> kBook2 = [] {
    std::vector<Expected> v{{"Весна в городе", 1}};
    v.insert(v.end(), kBook.begin(), kBook.end());
    return v;
}();

class Headings : public testing::TestWithParam<HeadingCase> {};

TEST_P(Headings, areListedInOrderAtTheirParagraphs) {
    QTextDocument doc;
    const QString path =
        QString::fromUtf8(VERNALO_TEST_DATA "/") + QString::fromUtf8(GetParam().file);
    if (path.endsWith(QStringLiteral(".html"))) {
        // A page goes into the editor as Transform HTML to text takes it.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const std::string rtf =
            HtmlToRtf(WithCrLf(QString::fromUtf8(file.readAll()).toStdU16String()));
        LoadDocumentBytes(QByteArray::fromStdString(rtf), doc);
    } else {
        ASSERT_TRUE(LoadDocumentFile(path, doc).ok);
    }
    const std::vector<DocumentHeading> found = DocumentHeadings(doc);
    for (const DocumentHeading& h : found)
        SCOPED_TRACE(h.title.toStdString());
    ASSERT_EQ(found.size(), GetParam().headings.size())
        << GetParam().file << " " << (found.empty() ? "" : found.back().title.toStdString());
    int last = -1;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const Expected& want = GetParam().headings[i];
        EXPECT_EQ(found[i].title.toStdString(), want.title) << i;
        EXPECT_EQ(found[i].level, want.level) << want.title;
        EXPECT_GT(found[i].position, last);
        last = found[i].position;
        // The position is where the heading's own paragraph starts in the editor.
        const QTextBlock block = doc.findBlock(found[i].position);
        EXPECT_EQ(block.position(), found[i].position);
        EXPECT_TRUE(block.text().simplified().startsWith(QString::fromUtf8(want.title)))
            << block.text().toStdString();
    }
    EXPECT_EQ(DocumentTitle(doc).toStdString(), GetParam().bookTitle);
    // Saved as rich text (Save as RTF, the last text kept between runs) and read again, each
    // heading comes back at its paragraph with its level.
    QTextDocument again;
    LoadDocumentBytes(DocumentToRtf(doc), again);
    const std::vector<DocumentHeading> back = DocumentHeadings(again);
    ASSERT_EQ(back.size(), found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(back[i].position, found[i].position) << i;
        EXPECT_EQ(back[i].level, found[i].level) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Headings,
    testing::Values(
        HeadingCase{"books/book.epub", kBook, "Весна в городе"},
        // The NCX of EPUB 2 lists the title page too.
        HeadingCase{"books/book2.epub", kBook2, "Весна в городе"},
        HeadingCase{"books/book.fb2", kBook, "Весна в городе"},
        HeadingCase{"books/book-1251.fb2", kBook, "Весна в городе"},
        HeadingCase{"office/office.docx", kOffice}, HeadingCase{"office/office-lo.docx", kOffice},
        HeadingCase{"office/office.odt", kOffice}, HeadingCase{"office/office-lo.odt", kOffice},
        HeadingCase{"rtf/pandoc_mixed.rtf", {{"Чтение вслух / Reading aloud", 1}}},
        HeadingCase{"pdf/text.pdf",
                    {{"Весна в городе", 1}, {"Spring in the City", 2}, {"Вторая страница", 2}},
                    "Весна в городе"},
        // A page taken in by Transform HTML to text.
        HeadingCase{"pdf/text.html",
                    {{"Весна в городе", 1}, {"Spring in the City", 2}, {"Вторая страница", 2}}},
        HeadingCase{"books/book.epub.txt", {}}));

TEST(Headings, followTheTextThroughEdits) {
    QTextDocument doc;
    ASSERT_TRUE(LoadDocumentFile(QString::fromUtf8(VERNALO_TEST_DATA "/books/book.fb2"), doc).ok);
    const std::vector<DocumentHeading> before = DocumentHeadings(doc);
    ASSERT_EQ(before.size(), 4u);
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("New line\n"));
    // Enter at the end of a heading: both halves carry its format, one heading is listed.
    c.setPosition(before[1].position + 9 + static_cast<int>(before[1].title.size()));
    c.movePosition(QTextCursor::EndOfBlock);
    c.insertBlock();
    c.insertText(QStringLiteral("typed under it"));
    std::vector<DocumentHeading> after = DocumentHeadings(doc);
    ASSERT_EQ(after.size(), 4u);
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].title, before[i].title);
        EXPECT_EQ(after[i].position, before[i].position + 9 + (i > 1 ? 15 : 0)) << i;
    }
    // A deleted heading's paragraph takes its heading with it; undo brings both back.
    c.setPosition(after[3].position);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    EXPECT_EQ(DocumentHeadings(doc).size(), 3u);
    doc.undo();
    EXPECT_EQ(DocumentHeadings(doc).size(), 4u);
    EXPECT_EQ(HeadingAt(after, after[2].position + 3), 2);
    EXPECT_EQ(HeadingAt(after, 0), -1);
}

}  // namespace
}  // namespace vernalo
