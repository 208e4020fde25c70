// Word 97-2003 documents: LibreOffice's export (tests/data/doc/README.md) against its own
// plain-text export word for word, and compound files built here for what LibreOffice never
// writes: 8-bit pieces, nested fields, table rows, password protection, damage.

#include "documents/word97/wordreader.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "support/booktext.h"
#include "support/hostile.h"

namespace vernalo {
namespace {

using test::Q;
using test::Slurp;

using namespace std::string_literals;

const std::string kDoc = std::string(VERNALO_TEST_DATA) + "/doc/";

std::vector<QString> Words(QString text) {
    text.remove(QChar(0x00AD));  // soft hyphens: LibreOffice's export keeps them
    std::vector<QString> words;
    for (const QString& w :
         text.split(QRegularExpression(QStringLiteral("\\W+")), Qt::SkipEmptyParts))
        words.push_back(w.toLower());
    return words;
}

void Put16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    Put16(s, at, v & 0xFFFF);
    Put16(s, at + 2, v >> 16);
}

std::string Compound(const std::vector<std::pair<const char*, std::string>>& streams) {
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* file = gsf_outfile_msole_new(memory);
    for (const auto& [name, data] : streams) {
        GsfOutput* child = gsf_outfile_new_child(file, name, FALSE);
        gsf_output_write(child, data.size(), reinterpret_cast<const guint8*>(data.data()));
        gsf_output_close(child);
        g_object_unref(child);
    }
    gsf_output_close(GSF_OUTPUT(file));
    g_object_unref(file);
    const std::string bytes(
        reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory))),
        static_cast<std::size_t>(gsf_output_size(memory)));
    g_object_unref(memory);
    return bytes;
}

struct Piece {
    std::u16string text;
    bool eightBit = false;  // stored as Windows-1252 bytes (Latin-1 here)
};

// A Word 97 file: the information block as Word writes it, the pieces' text after it, and
// the piece table in 0Table.
// `missing` characters more than the pieces hold are claimed, past the stream's end.
std::string WordFile(const std::vector<Piece>& pieces, std::uint32_t flags = 0,
                     std::uint32_t ident = 0xA5EC, std::uint32_t missing = 0) {
    std::string word(1024, '\0');
    Put16(word, 0, ident);
    Put16(word, 2, 0xC1);
    Put16(word, 0x0A, flags);
    Put16(word, 32, 14);  // 16-bit values
    const std::size_t rgLw = 32 + 2 + 28;
    Put16(word, rgLw, 22);  // 32-bit values
    const std::size_t rgFcLcb = rgLw + 2 + 88;
    Put16(word, rgFcLcb, 93);  // offset-and-length pairs
    std::string cps, pcds;
    std::uint32_t cp = 0;
    for (const Piece& p : pieces) {
        std::string entry(8, '\0');
        if (p.eightBit) {
            Put32(entry, 2, static_cast<std::uint32_t>(word.size() * 2) | 0x40000000u);
            for (char16_t c : p.text)
                word.push_back(static_cast<char>(c));
        } else {
            Put32(entry, 2, static_cast<std::uint32_t>(word.size()));
            for (char16_t c : p.text) {
                word.push_back(static_cast<char>(c & 0xFF));
                word.push_back(static_cast<char>(c >> 8));
            }
        }
        std::string at(4, '\0');
        Put32(at, 0, cp);
        cps += at;
        pcds += entry;
        cp += static_cast<std::uint32_t>(p.text.size());
    }
    cp += missing;
    std::string last(4, '\0');
    Put32(last, 0, cp);
    cps += last;
    Put32(word, rgLw + 2 + 3 * 4, cp);  // the main text's length
    std::string clx = "\x02"s + std::string(4, '\0') + cps + pcds;
    Put32(clx, 1, static_cast<std::uint32_t>(cps.size() + pcds.size()));
    const std::string table = std::string(16, '\0') + clx;
    Put32(word, rgFcLcb + 2 + 33 * 8, 16);
    Put32(word, rgFcLcb + 2 + 33 * 8 + 4, static_cast<std::uint32_t>(clx.size()));
    return Compound({{"WordDocument", word}, {"0Table", table}});
}

TEST(WordReader, WordsEqualLibreOfficesPlainExport) {
    const ReadResult r = ReadWordBytes(Slurp(kDoc + "text.doc"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Words(Q(r.document.plainText())),
              Words(QString::fromUtf8(Slurp(kDoc + "text.doc.txt"))));
    // A row's cells on one line; the link's field shows its text, not its address.
    const QString text = Q(r.document.plainText());
    EXPECT_TRUE(text.contains(u"\nСлово\tWord\nвесна\tspring\n"_qs)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"нашла ссылку на словарь и"_qs));
    EXPECT_FALSE(text.contains(u"HYPERLINK"_qs));
}

// Empty cells leave their tabs; each row ends where Word marks its end.
TEST(WordReader, TableRowsWithEmptyCells) {
    const ReadResult r = ReadWordBytes(Slurp(kDoc + "table.doc"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Q(r.document.text()),
              u"Перед таблицей.\nодин\t\tтри\n\ttwo\nчетыре\tfive\tшесть\nПосле таблицы."_qs);
}

// Bold and italic set on words come through, and headings are bold; nothing else is marked.
TEST(WordReader, HeadingsAndDirectBoldAndItalicAreKept) {
    const ReadResult r = ReadWordBytes(Slurp(kDoc + "text.doc"));
    ASSERT_TRUE(r.ok) << r.error;
    QString bold, italic;
    r.document.forEach([](const RichDocument::ParagraphView&) {},
                       [&](const RichDocument::RunView& run) {
                           const QString text = Q(std::u16string(run.text));
                           if (run.format.bold) bold += text + u'|';
                           if (run.format.italic) italic += text + u'|';
                       });
    EXPECT_EQ(bold, u"Весна в городе|громкий смех|Spring in the City|Вторая страница|"_qs);
    EXPECT_EQ(italic, u"тихим шёпотом|"_qs);
}

struct TextCase {
    const char* name;
    std::vector<Piece> pieces;
    std::u16string text;  // paragraphs apart by '\n', line breaks U+2028
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class WordText : public testing::TestWithParam<TextCase> {};

TEST_P(WordText, MarksBecomeParagraphsCellsAndFieldResults) {
    const ReadResult r = ReadWordBytes(WordFile(GetParam().pieces));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Q(r.document.text()), Q(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    , WordText,
    testing::Values(
        TextCase{"eightBitPiece", {{u"Caf\u00E9 na\u00EFve \x80\r", true}}, u"Café naïve €"},
        TextCase{"eightBitThenUnicode",
                 {{u"Hello, ", true}, {u"мир!\rBye", false}},
                 u"Hello, мир!\nBye"},
        TextCase{"fieldShowsItsResult",
                 {{u"a \x13 HYPERLINK \"http://x\" \x14link\x15 b\r"}},
                 u"a link b"},
        TextCase{"nestedFieldCodesAreDropped",
                 {{u"\x13 IF \x13 PAGE \x14"
                   u"1\x15 = 1 \x14yes\x15!\r"}},
                 u"yes!"},
        TextCase{"fieldWithoutResult", {{u"\x13 TOC \\o \x15x\r"}}, u"x"},
        TextCase{"tableRowsWithoutParagraphProperties",
                 {{u"a\x07"
                   u"b\x07\x07"
                   u"c\x07"
                   u"d\x07\x07"
                   u"after\r"}},
                 u"a\tb\nc\td\nafter"},
        TextCase{"anchorsAndBreaks",
                 {{u"x\x01y\x08z\x0Bw\x1Ev\x1Fu\x0Cnext\r"}},
                 u"xyz\u2028w-vu\nnext"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::string bytes;
    std::string error;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class WordFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(WordFailure, GivesOneClearMessage) {
    const ReadResult r = ReadWordBytes(GetParam().bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    , WordFailure,
    testing::Values(
        FailureCase{"encrypted", WordFile({{u"secret\r"}}, 0x0100), "it is password-protected"},
        FailureCase{"obfuscated", WordFile({{u"secret\r"}}, 0x8000), "it is password-protected"},
        FailureCase{"word95", WordFile({{u"old\r"}}, 0, 0xA5DC),
                    "it was saved by Word 95 or earlier"},
        FailureCase{"spreadsheet", Compound({{"Workbook", "\x09\x08\x10\0"s}}),
                    "this is not a text document."},
        FailureCase{"pieceBeyondTheStream", WordFile({{u"short\r"}}, 0, 0xA5EC, 5),
                    "the Word document is damaged"},
        FailureCase{"textLongerThanTheFile", WordFile({{u"short\r"}}, 0, 0xA5EC, 1u << 31),
                    "the Word document is damaged"},
        FailureCase{"noTable", Compound({{"WordDocument", std::string(1024, '\0')}}),
                    "the Word document is damaged"},
        FailureCase{"noiseAfterMagic", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"s + test::Noise(4096, 11),
                    "the Word document is damaged"},
        FailureCase{"noise", test::Noise(4096, 11), "this is not a text document."}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// Cut at every kilobyte, the file is refused as damaged or, when what was cut is not needed,
// read whole: never a part of the text.
TEST(WordReader, EveryTruncationIsRefusedOrReadWhole) {
    const std::string doc = Slurp(kDoc + "text.doc");
    const ReadResult whole = ReadWordBytes(doc);
    ASSERT_TRUE(whole.ok);
    for (std::size_t size = 1024; size < doc.size(); size += 1024) {
        const ReadResult r = ReadWordBytes(doc.substr(0, size));
        if (r.ok)
            EXPECT_EQ(r.document.text(), whole.document.text()) << size;
        else
            EXPECT_EQ(r.error, "the Word document is damaged") << size;
    }
}

}  // namespace
}  // namespace vernalo
