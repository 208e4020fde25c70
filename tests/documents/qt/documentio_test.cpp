// The editor's documents through QTextDocument: round trips through RTF, loading
// rich and plain bytes, and the file functions' failures.

#include <gtest/gtest.h>

#include <cctype>
#include <memory>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QTextTable>

#include "documents/html/htmltortf.h"
#include "documents/qt/documentio.h"
#include "documents/rtf/rtfreader.h"
#include "documents/rtf/rtfwriter.h"

namespace vernalo {
namespace {

using namespace std::string_literals;

// QTextDocument needs a QGuiApplication. It is made when the tests run, not when they
// are only listed, so that listing works without a display.
class GuiEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "documentio_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] testing::Environment* const kGui =
    testing::AddGlobalTestEnvironment(new GuiEnvironment);

QString Data(const char* name) {
    return QString::fromUtf8(VERNALO_TEST_DATA) + QStringLiteral("/rtf/") + QString::fromUtf8(name);
}

QTextCharFormat Fmt(std::initializer_list<int> flags) {
    QTextCharFormat f;
    for (int flag : flags) {
        switch (flag) {
            case 'b':
                f.setFontWeight(QFont::Bold);
                break;
            case 'i':
                f.setFontItalic(true);
                break;
            case 'u':
                f.setFontUnderline(true);
                break;
            case 's':
                f.setFontStrikeOut(true);
                break;
            case 'f':
                f.setFontFamilies({QStringLiteral("DejaVu Serif")});
                break;
            case 'F':
                f.setFontFamilies({QStringLiteral("Шрифт; {с} \\ знаками")});
                break;
            case 'z':
                f.setFontPointSize(15.5);
                break;
            case 'c':
                f.setForeground(QColor(0x12, 0x34, 0x56));
                break;
            case 'g':
                f.setBackground(QColor(0xFF, 0xFF, 0x00));
                break;
        }
    }
    return f;
}

// A document with every format the editor keeps, mixed Russian and English, empty
// paragraphs, characters outside Windows-1251 and the Basic Multilingual Plane, and a
// final empty line.
void FillRich(QTextDocument& doc) {
    QTextCursor c(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    c.insertText(QStringLiteral("Заголовок "), Fmt({'b'}));
    c.insertText(QStringLiteral("Title"), Fmt({'b', 'i'}));
    QTextBlockFormat indented;
    indented.setAlignment(Qt::AlignJustify);
    indented.setLeftMargin(48);
    indented.setRightMargin(24);
    indented.setTextIndent(-12);
    c.insertBlock(indented);
    c.insertText(QStringLiteral("Обычный текст, "), Fmt({}));
    c.insertText(QStringLiteral("underlined"), Fmt({'u'}));
    c.insertText(QStringLiteral(" и "), Fmt({}));
    c.insertText(QStringLiteral("зачёркнутый"), Fmt({'s', 'c'}));
    c.insertText(QStringLiteral(" marked"), Fmt({'g', 'z', 'f'}));
    c.insertBlock(QTextBlockFormat());
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    c.insertText(QString::fromUtf8("{braces} \\ back\tslash 😀 𝔸 日本 € ё Ђ №\u00A0end"),
                 Fmt({'F'}));
    c.insertText(QString(QChar(QChar::LineSeparator)) + QStringLiteral("second line"), Fmt({}));
    c.insertBlock(QTextBlockFormat());
    c.insertBlock(QTextBlockFormat());
}

TEST(DocumentIo, richDocumentSurvivesRtfRoundTrip) {
    QTextDocument doc;
    FillRich(doc);
    QByteArray rtf = DocumentToRtf(doc);
    ASSERT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0"));
    for (char ch : rtf)
        ASSERT_LT(static_cast<unsigned char>(ch), 0x80u) << "RTF is 7-bit";

    QTextDocument back;
    LoadDocumentBytes(rtf, back);
    EXPECT_EQ(back.toRawText(), doc.toRawText());
    EXPECT_EQ(back.blockCount(), doc.blockCount());
    // The same formats, run for run and paragraph for paragraph.
    RichDocument a = DocumentToModel(doc), b = DocumentToModel(back);
    const std::vector<Paragraph> pa = a.paragraphs(), pb = b.paragraphs();
    ASSERT_EQ(pa.size(), pb.size());
    for (std::size_t i = 0; i < pa.size(); ++i) {
        EXPECT_EQ(pa[i].format, pb[i].format) << i;
        ASSERT_EQ(pa[i].runs.size(), pb[i].runs.size()) << i;
        for (std::size_t k = 0; k < pa[i].runs.size(); ++k) {
            const TextRun& x = pa[i].runs[k];
            const TextRun& y = pb[i].runs[k];
            EXPECT_EQ(x.text, y.text);
            CharFormat fx = x.format, fy = y.format;
            // Font indices differ between the two lists; compare the names.
            EXPECT_EQ(fx.font < 0, fy.font < 0);
            if (fx.font >= 0 && fy.font >= 0) {
                EXPECT_EQ(a.fonts[static_cast<std::size_t>(fx.font)],
                          b.fonts[static_cast<std::size_t>(fy.font)]);
            }
            fx.font = fy.font = 0;
            EXPECT_EQ(fx, fy) << i << "/" << k;
        }
    }
    // And a second round gives the very same bytes.
    EXPECT_EQ(DocumentToRtf(back), rtf);
}

TEST(DocumentIo, charactersWrittenAsCodePageBytesOrUnicode) {
    QTextDocument doc;
    doc.setPlainText(QString::fromUtf8("Aё{}\\😀"));
    QByteArray rtf = DocumentToRtf(doc);
    EXPECT_TRUE(rtf.contains("A\\'b8\\{\\}\\\\\\u-10179?\\u-8704?")) << rtf.constData();
}

TEST(DocumentIo, htmlConverterOutputLoadsWithBoldHeading) {
    std::string rtf = HtmlToRtf(WithCrLf(u"<body><h1>Big</h1><p>One <b>two</b></p></body>x"));
    QTextDocument doc;
    LoadDocumentBytes(QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("\n Big\n\n One\n two\n"));
    QTextBlock big = doc.findBlockByNumber(1);
    EXPECT_EQ(big.begin().fragment().charFormat().fontWeight(), QFont::Bold);
    EXPECT_NE(doc.findBlockByNumber(3).begin().fragment().charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(doc.findBlockByNumber(4).begin().fragment().charFormat().fontWeight(), QFont::Bold);
}

TEST(DocumentIo, loadsPlainTextWhenNotRtf) {
    QTextDocument doc;
    LoadDocumentBytes(QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2\r\nHello\r\n"), doc);  // Windows-1251
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Привет\nHello\n"));
    EXPECT_EQ(doc.blockCount(), 3);
    LoadDocumentBytes(QByteArray("  {\\rtf1 {\\b x}}"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("x"));
    EXPECT_TRUE(IsRtf(QByteArray("\xEF\xBB\xBF{\\rtf1}")));
    EXPECT_FALSE(IsRtf(QByteArray("rtf")));
}

TEST(DocumentIo, loadFileErrorsLeaveTheDocumentAlone) {
    QTemporaryDir dir;
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("keep"));
    QString missing = dir.filePath(QStringLiteral("missing.rtf"));
    DocumentResult r = LoadDocumentFile(missing, doc);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QStringLiteral("Cannot open file ") + missing);
    r = LoadDocumentFile(dir.path(), doc);  // a folder is no document
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QStringLiteral("Cannot open file ") + dir.path() +
                           QStringLiteral(": it is a folder"));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("keep"));
}

struct NotTextCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const NotTextCase& c, std::ostream* os) {
    *os << c.name;
}

class DocumentIoNotText : public testing::TestWithParam<NotTextCase> {};

// A program or an image named .txt is refused by name; the document keeps its text.
TEST_P(DocumentIoNotText, isRefusedAndTheDocumentKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8(GetParam().name) + QStringLiteral(".txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().bytes.data(), static_cast<qsizetype>(GetParam().bytes.size()));
    file.close();
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("keep"));
    doc.setModified(true);
    const DocumentResult r = LoadDocumentFile(path, doc);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QStringLiteral("Cannot read ") + QString::fromUtf8(GetParam().name) +
                           QStringLiteral(".txt: this is not a text document."));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("keep"));
    EXPECT_TRUE(doc.isModified());
}

std::string Controls() {
    std::string s;
    for (int i = 0; i < 1000; ++i)
        s.push_back(static_cast<char>(1 + (i * 7919) % 31));
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    , DocumentIoNotText,
    testing::Values(NotTextCase{"program",
                                "\x7F"
                                "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0"s},
                    NotTextCase{"picture",
                                "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x01\0\0\0\x01\0\x08\x06"s},
                    NotTextCase{"controls", Controls()}),
    [](const testing::TestParamInfo<NotTextCase>& info) { return std::string(info.param.name); });

// A .doc file is read by what it holds: Word's own format, or rich text saved under that name.
TEST(DocumentIo, docFilesLoadAsWordOrRichText) {
    QTextDocument doc;
    DocumentResult r = LoadDocumentFile(
        QString::fromUtf8(VERNALO_TEST_DATA) + QStringLiteral("/doc/text.doc"), doc);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_TRUE(doc.toPlainText().contains(u"\nСлово\tWord\n"_qs));
    QTemporaryDir dir;
    const QString rtf = dir.filePath(QStringLiteral("letter.doc"));
    QFile file(rtf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1 {\\b Bold} text}");
    file.close();
    r = LoadDocumentFile(rtf, doc);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Bold text"));
    EXPECT_TRUE(doc.begin().begin().fragment().charFormat().fontWeight() >= QFont::Bold);
}

struct UnreadableCase {
    const char* file;  // under tests/data
    const char* error;
    ReadControl control = {};
};

void PrintTo(const UnreadableCase& c, std::ostream* os) {
    *os << c.file;
}

class DocumentIoUnreadable : public testing::TestWithParam<UnreadableCase> {};

// The message reaches the window as the reader words it; the document keeps its text.
TEST_P(DocumentIoUnreadable, isRefusedWithTheReadersMessage) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("keep"));
    const DocumentResult r = LoadDocumentFile(
        QString::fromUtf8(VERNALO_TEST_DATA) + u'/' + QString::fromUtf8(GetParam().file), doc,
        GetParam().control);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QString::fromUtf8(GetParam().error));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("keep"));
}

INSTANTIATE_TEST_SUITE_P(
    , DocumentIoUnreadable,
    testing::Values(
        UnreadableCase{"pdf/scanned.pdf", "This PDF has no text to read."},
        UnreadableCase{"pdf/encrypted.pdf", "Cannot read encrypted.pdf: it is password-protected"},
        UnreadableCase{"pdf/text.pdf", "Cannot read text.pdf: it takes too long to read",
                       ReadControl{{}, std::chrono::seconds(-1)}}),
    [](const testing::TestParamInfo<UnreadableCase>& info) {
        std::string name = info.param.file;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(DocumentIo, plainTextInAnotherRussianEncodingIsDecoded) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("koi8.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString text =
        QStringLiteral("Поезд пришёл в город рано утром, и мы сразу пошли на вокзальную площадь.");
    QByteArray koi8;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        static const char16_t kLower[] = u"юабцдефгхийклмнопярстужвьызшэщчъ";
        static const char16_t kUpper[] = u"ЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ";
        char byte = static_cast<char>(u);
        for (int i = 0; i < 32; ++i) {
            if (kLower[i] == u) byte = static_cast<char>(0xC0 + i);
            if (kUpper[i] == u) byte = static_cast<char>(0xE0 + i);
        }
        if (u == u'ё') byte = static_cast<char>(0xA3);
        koi8.append(byte);
    }
    file.write(koi8);
    file.close();
    QTextDocument doc;
    ASSERT_TRUE(LoadDocumentFile(path, doc).ok);
    EXPECT_EQ(doc.toPlainText(), text);
}

TEST(DocumentIo, readErrorAfterOpenIsAStreamFailure) {
    // This file opens, but reading its first page fails.
    if (!QFile::exists(QStringLiteral("/proc/self/mem"))) GTEST_SKIP();
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("keep"));
    DocumentResult r = LoadDocumentFile(QStringLiteral("/proc/self/mem"), doc);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QStringLiteral("Failed to Load Stream"));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("keep"));
}

TEST(DocumentIo, producersFormatsReachTheDocument) {
    QTextDocument doc;
    ASSERT_TRUE(LoadDocumentFile(Data("libreoffice_formats.rtf"), doc).ok);
    auto blockWith = [&](const QString& text) { return doc.find(text).block(); };
    auto formatOf = [&](const QString& text) {
        QTextCursor at(&doc);
        at.setPosition(doc.find(text).selectionStart() + 1);
        return at.charFormat();
    };
    EXPECT_EQ(
        blockWith(QStringLiteral("Centered")).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
        Qt::AlignHCenter);
    EXPECT_EQ(blockWith(QStringLiteral("right aligned")).blockFormat().alignment() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    QTextBlockFormat justified = blockWith(QStringLiteral("justified")).blockFormat();
    EXPECT_EQ(justified.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_GT(justified.leftMargin(), 50);
    EXPECT_GT(justified.textIndent(), 20);
    EXPECT_EQ(formatOf(QStringLiteral("Заголовок")).fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(QStringLiteral("курсив")).fontItalic());
    EXPECT_EQ(formatOf(QStringLiteral("Красный")).foreground().color(), QColor(0xC0, 0, 0));
    EXPECT_EQ(formatOf(QStringLiteral("жёлтый")).background().color(), QColor(0xFF, 0xFF, 0));
    EXPECT_TRUE(formatOf(QStringLiteral("подчёркнутый")).fontUnderline());
    EXPECT_TRUE(formatOf(QStringLiteral("зачёркнутый")).fontStrikeOut());
    QTextCharFormat big = formatOf(QStringLiteral("большой"));
    EXPECT_EQ(big.fontFamilies().toStringList().value(0), QStringLiteral("DejaVu Serif"));
    EXPECT_GT(big.fontPointSize(), 14);
}

TEST(DocumentIo, saveReplacesTheFileAtomically) {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("saved.rtf"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content that is longer than what replaces it, much longer indeed");
    }
    QTextDocument doc;
    FillRich(doc);
    DocumentResult r = SaveDocumentFile(doc, path);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), DocumentToRtf(doc));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("saved.rtf")});

    QTextDocument back;
    ASSERT_TRUE(LoadDocumentFile(path, back).ok);
    EXPECT_EQ(back.toRawText(), doc.toRawText());
}

TEST(DocumentIo, saveThroughASymlinkReplacesItsTarget) {
    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("target.rtf"));
    QString link = dir.filePath(QStringLiteral("link.rtf"));
    {
        QFile t(target);
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(target, link));
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("через ссылку"));
    ASSERT_TRUE(SaveDocumentFile(doc, link).ok);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QTextDocument back;
    ASSERT_TRUE(LoadDocumentFile(target, back).ok);
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
}

TEST(DocumentIo, saveFailuresAreReportedAndLeaveNoFile) {
    QTemporaryDir dir;
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("text"));
    QString inMissingFolder = dir.filePath(QStringLiteral("no/such/folder/x.rtf"));
    DocumentResult r = SaveDocumentFile(doc, inMissingFolder);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QStringLiteral("Cannot create file ") + inMissingFolder);

    // A folder in the way: nothing is replaced, no temporary file stays.
    QString folder = dir.filePath(QStringLiteral("folder.rtf"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.rtf")));
    r = SaveDocumentFile(doc, folder);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

// Pasted rich text can hold tables and lists; a saved file keeps what they showed.
TEST(DocumentIo, tablesAndListsAreSavedAsTheReaderShowsThem) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("before"));
    QTextTable* table = c.insertTable(2, 2);
    table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("дом"));
    table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("house"));
    QTextCursor cell = table->cellAt(1, 0).firstCursorPosition();
    cell.insertText(QStringLiteral("p1"));
    cell.insertBlock();
    cell.insertText(QStringLiteral("p2"));
    table->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("q"));
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    c.insertText(QStringLiteral("first"));
    QTextList* numbered = c.createList(QTextListFormat::ListDecimal);
    c.insertBlock();
    c.insertText(QStringLiteral("second"));
    c.insertBlock();
    numbered->remove(c.block());
    c.createList(QTextListFormat::ListDisc);
    c.insertText(QStringLiteral("bullet"));

    QTextDocument back;
    LoadDocumentBytes(DocumentToRtf(doc), back);
    EXPECT_EQ(back.toPlainText().toStdString(),
              "before\nдом\thouse\np1\np2\tq\n\n1.\tfirst\n2.\tsecond\n\u2022\tbullet");
}

TEST(DocumentIo, emptyDocumentRoundTrips) {
    QTextDocument doc;
    QTextDocument back;
    back.setPlainText(QStringLiteral("previous"));
    LoadDocumentBytes(DocumentToRtf(doc), back);
    EXPECT_TRUE(back.isEmpty());
    EXPECT_EQ(back.blockCount(), 1);
}

}  // namespace
}  // namespace vernalo
