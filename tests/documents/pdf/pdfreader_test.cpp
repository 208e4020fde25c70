// The text layer of PDF files made by LibreOffice (tests/data/pdf/README.md): the same
// words pdftotext finds, paragraphs and split words put back together, and files that
// cannot be read, cut short or made of noise, refused with one clear message.

#include "documents/pdf/pdfreader.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>
#include <string>
#include <vector>

#include "support/booktext.h"
#include "support/hostile.h"

namespace vernalo {
namespace {

using test::Q;
using test::Slurp;

const std::string kPdf = std::string(VERNALO_TEST_DATA) + "/pdf/";

std::vector<QString> Words(const QString& text) {
    std::vector<QString> words;
    for (const QString& w :
         text.split(QRegularExpression(QStringLiteral("\\W+")), Qt::SkipEmptyParts))
        words.push_back(w.toLower());
    return words;
}

struct Fixture {
    const char* file;
    std::size_t paragraphs;
};

void PrintTo(const Fixture& f, std::ostream* os) {
    *os << f.file;
}

class PdfFidelity : public testing::TestWithParam<Fixture> {};

// justified.pdf has lines so widely spaced that poppler cuts them into pieces, which must
// come back together as their paragraph.
TEST_P(PdfFidelity, WordsEqualPdftotextsWordsInWholeParagraphs) {
    const ReadResult r = ReadPdfBytes(Slurp(kPdf + GetParam().file));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Words(Q(r.document.plainText())),
              Words(QString::fromStdString(Slurp(kPdf + GetParam().file + ".txt"))));
    EXPECT_EQ(r.document.paragraphCount(), GetParam().paragraphs);
}

INSTANTIATE_TEST_SUITE_P(
    , PdfFidelity, testing::Values(Fixture{"text.pdf", 13}, Fixture{"justified.pdf", 4}),
    [](const testing::TestParamInfo<Fixture>& info) {
        return std::string(info.param.file).substr(0, std::string(info.param.file).find('.'));
    });

TEST(PdfReader, LinesJoinIntoParagraphsAndPagesAreApartByABlankLine) {
    const ReadResult r = ReadPdfBytes(Slurp(kPdf + "text.pdf"));
    ASSERT_TRUE(r.ok) << r.error;
    const std::vector<Paragraph> paras = r.document.paragraphs();
    std::vector<QString> starts;
    for (const Paragraph& p : paras) {
        QString text;
        for (const TextRun& run : p.runs)
            text += Q(run.text);
        starts.push_back(text.section(u' ', 0, 1));
    }
    const std::vector<QString> expected = {u"Весна в"_qs,
                                           u"Весна пришла"_qs,
                                           u"Анна открыла"_qs,
                                           u"Она записала"_qs,
                                           u"Spring in"_qs,
                                           u"Spring came"_qs,
                                           u"Anna wrote"_qs,
                                           u"Слово Word"_qs,
                                           u"весна spring"_qs,
                                           u"ручей stream"_qs,
                                           u""_qs,
                                           u"Вторая страница"_qs,
                                           u"На второй"_qs};
    EXPECT_EQ(starts, expected);
    ASSERT_FALSE(paras.empty());
    ASSERT_FALSE(paras[0].runs.empty());
    EXPECT_TRUE(paras[0].runs[0].format.bold);  // the title is set larger than the text
    EXPECT_FALSE(paras[1].runs[0].format.bold);
}

TEST(PdfReader, HyphenAtALineEndJoinsTheWordAndOneInsideALineStays) {
    const ReadResult r = ReadPdfBytes(Slurp(kPdf + "text.pdf"));
    ASSERT_TRUE(r.ok) << r.error;
    const QString text = Q(r.document.plainText());
    for (const char16_t* word : {u"высококвалифицированный", u"взаимопонимание",
                                 u"трудоспособность", u"ток-шоу", u"well-known"})
        EXPECT_TRUE(text.contains(QString::fromUtf16(word)))
            << QString::fromUtf16(word).toStdString();
    EXPECT_FALSE(text.contains(u"высоко-"_qs));
}

struct FailureCase {
    const char* name;
    std::string bytes;
    std::string error;
    bool wholeMessage = false;
    ReadControl control = {};
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class PdfFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(PdfFailure, GivesOneClearMessage) {
    const ReadResult r = ReadPdfBytes(GetParam().bytes, GetParam().control);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, GetParam().error);
    EXPECT_EQ(r.wholeMessage, GetParam().wholeMessage);
}

INSTANTIATE_TEST_SUITE_P(
    , PdfFailure,
    testing::Values(
        FailureCase{"scanned", Slurp(kPdf + "scanned.pdf"), "This PDF has no text to read.", true},
        FailureCase{"encrypted", Slurp(kPdf + "encrypted.pdf"), "it is password-protected"},
        FailureCase{"noise", test::Noise(8192, 7), "the PDF is damaged"},
        FailureCase{"noiseBetweenHeaderAndEnd", "%PDF-1.7\n" + test::Noise(8192, 7) + "\n%%EOF\n",
                    "the PDF is damaged"},
        FailureCase{"cancelled", Slurp(kPdf + "text.pdf"), "the reading was cancelled", false,
                    ReadControl{[] { return true; }}},
        FailureCase{"outOfTime", Slurp(kPdf + "text.pdf"), "it takes too long to read", false,
                    ReadControl{{}, std::chrono::seconds(-1)}}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// Cut at every kilobyte, the file is refused as damaged. With its end marker put back it
// passes for whole, and poppler rebuilds what it can: text or a clear message, no crash.
TEST(PdfReader, EveryTruncationIsRefused) {
    const std::string pdf = Slurp(kPdf + "text.pdf");
    for (std::size_t size = 1024; size < pdf.size(); size += 1024) {
        const std::string cut = pdf.substr(0, size);
        const ReadResult bare = ReadPdfBytes(cut);
        EXPECT_FALSE(bare.ok) << size;
        EXPECT_EQ(bare.error, "the PDF is damaged") << size;
        const ReadResult marked = ReadPdfBytes(cut + "\n%%EOF\n");
        if (!marked.ok) {
            EXPECT_TRUE(marked.error == "the PDF is damaged" ||
                        marked.error == "This PDF has no text to read.")
                << size << ": " << marked.error;
        }
    }
}

}  // namespace
}  // namespace vernalo
