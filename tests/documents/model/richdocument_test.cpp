// The compact document model: what is built is what is read back, paragraph by paragraph
// and run by run.

#include <gtest/gtest.h>

#include <string>

#include "documents/model/richdocument.h"
#include "documents/rtf/rtfreader.h"
#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

CharFormat Bold() {
    CharFormat f;
    f.bold = true;
    return f;
}

// Paragraphs as "text|*text/text": runs apart by '|', paragraphs by '/', a bold run marked
// by a '*' before it.
std::string Shape(const RichDocument& doc) {
    std::string out;
    bool first = true;
    for (const Paragraph& p : doc.paragraphs()) {
        if (!first) out += "/";
        first = false;
        for (std::size_t i = 0; i < p.runs.size(); ++i) {
            if (i) out += "|";
            if (p.runs[i].format.bold) out += "*";
            out += Utf16ToUtf8(p.runs[i].text);
        }
    }
    return out;
}

struct BuildCase {
    const char* name;
    void (*build)(RichDocument&);
    const char* shape;
    const char16_t* text;
};

void PrintTo(const BuildCase& c, std::ostream* os) {
    *os << c.name;
}

class RichDocumentBuild : public testing::TestWithParam<BuildCase> {};

TEST_P(RichDocumentBuild, readsBackAsBuilt) {
    RichDocument doc;
    GetParam().build(doc);
    EXPECT_EQ(Shape(doc), GetParam().shape);
    EXPECT_EQ(doc.text(), GetParam().text);
    EXPECT_EQ(doc.plainText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(RichDocument, RichDocumentBuild,
                         testing::Values(BuildCase{"nothingIsOneEmptyParagraph",
                                                   [](RichDocument& d) { d.finish({}); }, "", u""},
                                         BuildCase{"sameFormatMergesIntoOneRun",
                                                   [](RichDocument& d) {
                                                       d.addText({}, u"a");
                                                       d.addText({}, u"b");
                                                       d.finish({});
                                                   },
                                                   "ab", u"ab"},
                                         BuildCase{"formatChangesMakeRuns",
                                                   [](RichDocument& d) {
                                                       d.addText({}, u"a");
                                                       d.addText(Bold(), u"b");
                                                       d.addText({}, u"c");
                                                       d.finish({});
                                                   },
                                                   "a|*b|c", u"abc"},
                                         BuildCase{"emptyTextMakesNoRun",
                                                   [](RichDocument& d) {
                                                       d.addText({}, u"a");
                                                       d.beginRun(Bold());
                                                       d.addText({}, u"b");
                                                       d.finish({});
                                                   },
                                                   "ab", u"ab"},
                                         BuildCase{"paragraphsApartByNewline",
                                                   [](RichDocument& d) {
                                                       d.addText({}, u"a");
                                                       d.endParagraph({});
                                                       d.endParagraph({});
                                                       d.addText(Bold(), u"b");
                                                       d.finish({});
                                                   },
                                                   "a//*b", u"a\n\nb"},
                                         BuildCase{"emptyLastParagraphIsDropped",
                                                   [](RichDocument& d) {
                                                       d.addText({}, u"a");
                                                       d.endParagraph({});
                                                       d.beginRun(Bold());
                                                       d.finish({});
                                                   },
                                                   "a", u"a"},
                                         BuildCase{"runsDoNotCrossParagraphs",
                                                   [](RichDocument& d) {
                                                       d.addText({}, u"a");
                                                       d.endParagraph({});
                                                       d.addText({}, u"b");
                                                       d.finish({});
                                                   },
                                                   "a/b", u"a\nb"}),
                         test::CaseName);

TEST(RichDocument, lineBreakInsideAParagraphIsANewlineOnlyInPlainText) {
    RichDocument doc;
    doc.addText({}, u"a\u2028b");
    doc.finish({});
    EXPECT_EQ(doc.text(), u"a\u2028b");
    EXPECT_EQ(doc.plainText(), u"a\nb");
    EXPECT_EQ(doc.takePlainText(), u"a\nb");
    EXPECT_EQ(doc.paragraphCount(), 0u);  // taken: the document is empty
}

TEST(RichDocument, paragraphFormatsAreKeptPerParagraph) {
    RichDocument doc;
    const ParagraphFormat centred{Alignment::Center, 10, 20, 30};
    doc.addParagraph({centred, {{Bold(), u"x"}}});
    doc.addParagraph({{}, {}});
    doc.addParagraph({centred, {{{}, u"y"}, {Bold(), u"z"}}});
    const std::vector<Paragraph> p = doc.paragraphs();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].format, centred);
    EXPECT_EQ(p[1].format, ParagraphFormat{});
    EXPECT_TRUE(p[1].runs.empty());
    EXPECT_EQ(p[2].format, centred);
    EXPECT_EQ(Shape(doc), "*x//y|*z");
}

TEST(RichDocument, plainTextTakesOneParagraphPerLine) {
    RichDocument doc = PlainTextDocument(u"one\n\ntwo\n");
    EXPECT_EQ(doc.paragraphCount(), 4u);
    EXPECT_EQ(Shape(doc), "one//two/");
    EXPECT_EQ(doc.text(), u"one\n\ntwo\n");
}

// One-letter runs in two alternating formats: every run is kept, and each format once.
TEST(RichDocument, alternatingFormatsKeepEveryRun) {
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 1000; ++i)
        rtf += "\\b x\\b0 y";
    rtf += "}";
    const RichDocument doc = ReadRtf(rtf);
    ASSERT_EQ(doc.paragraphCount(), 1u);
    const std::vector<Paragraph> p = doc.paragraphs();
    ASSERT_EQ(p[0].runs.size(), 2000u);
    EXPECT_TRUE(p[0].runs[0].format.bold);
    EXPECT_FALSE(p[0].runs[1].format.bold);
    EXPECT_EQ(p[0].runs[1999].text, u"y");
}

// A file with more distinct formats than the table holds keeps all of its text.
TEST(RichDocument, moreDistinctFormatsThanTheTableHoldsLoseNoText) {
    std::string rtf = "{\\rtf1\\ansi{\\colortbl;";
    for (int c = 0; c < 300; ++c)
        rtf += "\\red" + std::to_string(c % 256) + "\\green" + std::to_string(c / 256) + ";";
    rtf += "}";
    std::u16string want;
    for (int size = 1; size <= 300; ++size) {
        for (int colour = 1; colour <= 300; ++colour) {
            rtf += "\\fs" + std::to_string(size) + "\\cf" + std::to_string(colour) + " x";
            want += u'x';
        }
    }
    rtf += "}";
    EXPECT_EQ(ReadRtf(rtf).plainText(), want);
}

// Every \ansicpg a file names is looked up; numbers no code page has read as Windows-1252,
// and a real page after thousands of them still reads right.
TEST(RichDocument, manyUnknownCodePagesStillReadAndRealOnesStillWork) {
    std::string rtf = "{\\rtf1\\ansi";
    for (int cp = 100000; cp < 120000; ++cp)
        rtf += "\\ansicpg" + std::to_string(cp) + " \\'e9";
    rtf += "\\ansicpg1251 \\'e9}";
    const std::u16string text = ReadRtf(rtf).plainText();
    ASSERT_EQ(text.size(), 20001u);
    EXPECT_EQ(text.front(), u'é');
    EXPECT_EQ(text.back(), u'й');
}

}  // namespace
}  // namespace vernalo
