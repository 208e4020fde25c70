// The RTF reader on hand-written snippets, on hostile input, and against the plain
// text that LibreOffice exports from files written by LibreOffice and pandoc.

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "documents/html/htmltortf.h"
#include "documents/rtf/rtfreader.h"
#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

std::string Plain(std::string_view rtf) {
    return Utf16ToUtf8(ReadRtf(rtf).plainText());
}

std::string ReadData(const std::string& name) {
    std::ifstream in(std::string(VERNALO_TEST_DATA) + "/rtf/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TextCase {
    const char* name;
    std::string rtf;
    std::string text;  // UTF-8
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class RtfText : public testing::TestWithParam<TextCase> {};

TEST_P(RtfText, readsTheTextOfTheDocument) {
    EXPECT_EQ(Plain(GetParam().rtf), GetParam().text) << GetParam().rtf;
}

#define H "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil MS Sans Serif;}}"

INSTANTIATE_TEST_SUITE_P(
    CodePages, RtfText,
    testing::Values(
        TextCase{"ansicpg1251Bytes", H "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 \xEC\xE8\xF0}",
                 "Привет мир"},
        TextCase{"ansi1252WithoutCodePage", "{\\rtf1\\ansi \\'80 \\'e9\\'fc}", "€ éü"},
        TextCase{"fontCharsetWinsOverDocumentPage",
                 "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 A;}{\\f1\\fcharset204 B;}}"
                 "\\'e4 \\f1\\'e4}",
                 "ä д"},
        TextCase{"easternEuropean1250", "{\\rtf1\\ansi\\ansicpg1250 \\'9a\\'e8\\'f8}", "ščř"},
        TextCase{"greekCharset", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset161 G;}}\\f0\\'e1\\'e2}",
                 "αβ"},
        TextCase{"dos866", "{\\rtf1\\ansi\\ansicpg866 \\'8f\\'e0\\'a8}", "При"},
        TextCase{"pc437", "{\\rtf1\\pc \\'82\\'b0}", "é░"},
        TextCase{"oemCharset255Is850", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset255 O;}}\\'d0}", "ð"},
        TextCase{"shiftJisPairs",
                 "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 J;}}\\f0\\'82\\'a0\\'82\\'a2x}",
                 "あいx"},
        TextCase{"unknownCodePageFallsBackTo1252", "{\\rtf1\\ansi\\ansicpg59999 \\'e9}", "é"},
        TextCase{"greek1253", "{\\rtf1\\ansi\\ansicpg1253 \\'e1}", "α"},
        TextCase{"turkish1254", "{\\rtf1\\ansi\\ansicpg1254 \\'fd}", "ı"},
        TextCase{"hebrew1255", "{\\rtf1\\ansi\\ansicpg1255 \\'e0}", "א"},
        TextCase{"arabic1256", "{\\rtf1\\ansi\\ansicpg1256 \\'c7}", "ا"},
        TextCase{"baltic1257", "{\\rtf1\\ansi\\ansicpg1257 \\'e0}", "ą"},
        TextCase{"vietnamese1258", "{\\rtf1\\ansi\\ansicpg1258 \\'f5}", "ơ"},
        TextCase{"thai874", "{\\rtf1\\ansi\\ansicpg874 \\'a1}", "ก"},
        TextCase{"macRoman", "{\\rtf1\\mac \\'8e}", "é"},
        TextCase{"pca850", "{\\rtf1\\pca \\'d0}", "ð"},
        TextCase{"undefinedByteKeepsItsValue", "{\\rtf1\\ansi\\ansicpg1252 \\'81}", "\xC2\x81"}),
    test::CaseName);

INSTANTIATE_TEST_SUITE_P(
    Characters, RtfText,
    testing::Values(TextCase{"unicodeSkipsOneFallback", H "\\u1055?\\u1088?x}", "Прx"},
                    TextCase{"unicodeSkipCountFromUc", H "\\uc2\\u1055\\'3f\\'3fx}", "Пx"},
                    TextCase{"ucZeroSkipsNothing", H "\\uc0\\u1055 x}", "Пx"},
                    TextCase{"ucIsScopedToItsGroup", H "{\\uc2 \\u1055??}\\u1056?x}", "ПРx"},
                    TextCase{"fallbackSkipStopsAtGroupEnd", H "{\\uc3\\u1055?}ab}", "Пab"},
                    TextCase{"negativeUnicodeIsUnsigned16", H "\\u-3913?}", "\xEF\x82\xB7"},
                    TextCase{"surrogatePairs", H "\\u-10179?\\u-8704?}", "😀"},
                    TextCase{"unicodeOutOfRangeIsReplaced", H "\\u99999999?x\\u-99999?}", "�x�"},
                    TextCase{"controlSymbols", H "a\\~b\\-c\\_d}",
                             "a\xC2\xA0"
                             "b\xC2\xAD"
                             "c\xE2\x80\x91"
                             "d"},
                    TextCase{"escapedMarkup", H "\\\\ \\{x\\}}", "\\ {x}"},
                    TextCase{"tabsAndLineBreaks", H "a\\tab b\\line c\\par d}", "a\tb\nc\nd"},
                    TextCase{"pageAndSectionBreakParagraphs", H "a\\page b\\sect c}", "a\nb\nc"},
                    TextCase{"backslashNewlineIsParagraph", H "a\\\nb}", "a\nb"},
                    TextCase{"rawLineBreaksAreIgnored", H "one\r\ntwo\n three}", "onetwo three"},
                    TextCase{"typographicWords",
                             H "\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet}",
                             "—–‘’“”•"},
                    TextCase{"spaceAfterControlWordIsItsDelimiter", H "\\b  two}", " two"},
                    TextCase{"hexNeedsTwoDigits", H "a\\'4 b\\'4}", "a b"}),
    test::CaseName);

INSTANTIATE_TEST_SUITE_P(
    Paragraphs, RtfText,
    testing::Values(TextCase{"finalParagraphMarkAddsNoLine", H "a\\par }", "a"},
                    TextCase{"finalEmptyLineKept", H "a\\par \\par }", "a\n"},
                    TextCase{"emptyDocument", "{\\rtf1}", ""},
                    TextCase{"textAfterDocumentEndIgnored", H "a} trailing", "a"}),
    test::CaseName);

INSTANTIATE_TEST_SUITE_P(
    Destinations, RtfText,
    testing::Values(
        TextCase{"unknownStarredDestinationSkipped", H "a{\\*\\unknownthing x{y}z}b}", "ab"},
        TextCase{"unknownUnstarredGroupKeepsText", H "a{\\unknownword x}b}", "axb"},
        TextCase{"stylesheetAndInfoSkipped",
                 H "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}x}", "x"},
        TextCase{"pictureDataSkipped", H "a{\\pict\\pngblip 89504e47}b}", "ab"},
        TextCase{"binaryDataSkippedEvenWithBraces", H "a{\\pict\\bin4 }{\\x}b}", "ab"},
        TextCase{"binaryInTextCountsAsOneFallbackChar", H "\\u1055\\bin2 zzq}", "Пq"},
        TextCase{"headersAndFootersSkipped", H "{\\header h}{\\footerl f}body}", "body"},
        TextCase{"fieldKeepsResultOnly",
                 H "{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}} end}",
                 "link end"},
        TextCase{"fieldInstructionWithoutStar", H "{\\field{\\fldinst PAGE}{\\fldrslt 7}}}", "7"},
        TextCase{"embeddingKeepsResult", H "{\\object{\\*\\objdata 0102}{\\result shown}}}",
                 "shown"},
        TextCase{"unicodeAlternativeOfUpr", H "{\\upr{ansi text}{\\*\\ud{\\u1046?}}}}", "Ж"},
        TextCase{"hiddenTextDropped", H "a{\\v hidden}b\\v c\\v0 d}", "abd"},
        TextCase{"listLabelsKept", H "{\\listtext\\pard\\plain \\u8226\\'95\\tab}item}", "•\titem"},
        TextCase{"fontNameTextNotShown", "{\\rtf1{\\fonttbl\\f0\\fswiss Helvetica;\\f1 Times;}x}",
                 "x"},
        TextCase{"colourTableNotShown", H "{\\colortbl;\\red255\\green0\\blue0;}x}", "x"}),
    test::CaseName);

INSTANTIATE_TEST_SUITE_P(
    Tables, RtfText,
    testing::Values(
        TextCase{
            "cellsTabSeparatedRowsParagraphs",
            H "\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row"
              "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c\\cell d\\cell\\row\\pard after\\par}",
            "a\tb\nc\td\nafter"},
        TextCase{"emptyCellsKeepTheirTabs", H "\\pard\\intbl a\\cell\\cell c\\cell\\row}",
                 "a\t\tc"},
        TextCase{"cellParagraphMarkBeforeCellIsNoBreak",
                 H "{\\pard\\intbl x\\par}\\cell{\\pard\\intbl y\\par}\\cell\\row}", "x\ty"},
        TextCase{"multiParagraphCell", H "\\pard\\intbl p1\\par p2\\cell q\\cell\\row}",
                 "p1\np2\tq"}),
    test::CaseName);

#undef H

// --- formatting ---

TEST(RtfFormat, characterFormatsFollowControlWordsAndGroups) {
    RichDocument doc = ReadRtf(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Times New Roman;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "n{\\b b{\\i bi}}{\\ul u\\ulnone n}{\\strike s}{\\f1\\fs28 t}{\\cf1\\highlight2 c}"
        "\\b x\\plain p{\\cb2 k}{\\chcbpat1 h}{\\uldb d}{\\b0 z}}");
    ASSERT_EQ(doc.paragraphCount(), 1u);
    const auto runs = doc.paragraphs()[0].runs;
    auto fmt = [&](std::u16string_view text) {
        for (const TextRun& r : runs)
            if (r.text == text) return r.format;
        ADD_FAILURE() << "no run " << Utf16ToUtf8(text);
        return CharFormat{};
    };
    EXPECT_EQ(fmt(u"n"), CharFormat{});
    EXPECT_TRUE(fmt(u"b").bold);
    EXPECT_FALSE(fmt(u"b").italic);
    EXPECT_TRUE(fmt(u"bi").bold && fmt(u"bi").italic);
    EXPECT_TRUE(fmt(u"u").underline);
    EXPECT_TRUE(fmt(u"s").strike);
    CharFormat t = fmt(u"t");
    ASSERT_GE(t.font, 0);
    EXPECT_EQ(doc.fonts[static_cast<std::size_t>(t.font)], u"Times New Roman");
    EXPECT_EQ(t.halfPoints, 28);
    EXPECT_EQ(fmt(u"c").color, 0xFF0000);
    EXPECT_EQ(fmt(u"c").background, 0x0000FF);
    EXPECT_TRUE(fmt(u"x").bold);
    EXPECT_EQ(fmt(u"p"), CharFormat{});  // \plain resets everything
    EXPECT_EQ(fmt(u"k").background, 0x0000FF);
    EXPECT_EQ(fmt(u"h").background, 0xFF0000);
    EXPECT_TRUE(fmt(u"d").underline);
    EXPECT_FALSE(fmt(u"z").bold);
}

// The last-text file as the rich-edit control of older versions wrote it.
TEST(RtfFormat, richEditOutputWithCyrillicAndWesternFonts) {
    RichDocument doc = ReadRtf(
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fswiss\\fcharset204"
        "{\\*\\fname Arial;}Arial CYR;}{\\f1\\fswiss\\fcharset0 Arial;}}\r\n"
        "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\f0\\fs20\\'cf\\'f0\\'e8"
        "\\'e2\\'e5\\'f2 \\f1 Hello \\'e9\\f0\\par\r\n\\'ea\\'ee\\'ed\\'e5\\'f6\\par\r\n}\r\n");
    EXPECT_EQ(Utf16ToUtf8(doc.plainText()), "Привет Hello é\nконец");
    EXPECT_EQ(doc.fonts, (std::vector<std::u16string>{u"Arial CYR", u"Arial"}));
    const auto runs = doc.paragraphs().at(0).runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].format.font, -1);  // the default font is the editor's
    EXPECT_EQ(runs[0].format.halfPoints, 20);
    EXPECT_EQ(doc.fonts.at(static_cast<std::size_t>(runs[1].format.font)), u"Arial");
}

TEST(RtfFormat, defaultFontAndAutomaticColourLeaveTheEditorsOwn) {
    RichDocument doc = ReadRtf(
        "{\\rtf1\\deff1{\\fonttbl{\\f0 A;}{\\f1 B;}}{\\colortbl;\\red1\\green2\\blue3;}"
        "{\\f1\\cf0 x}{\\f0\\cf9 y}}");
    const auto runs = doc.paragraphs().at(0).runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].format.font, -1);
    EXPECT_EQ(runs[0].format.color, -1);
    EXPECT_EQ(doc.fonts.at(static_cast<std::size_t>(runs[1].format.font)), u"A");
    EXPECT_EQ(runs[1].format.color, -1);  // an index past the table is automatic
}

TEST(RtfFormat, paragraphFormatsApplyAtTheParagraphMark) {
    RichDocument doc = ReadRtf(
        "{\\rtf1 \\qc c\\par \\pard\\qr r\\par \\pard\\qj\\li720\\ri360\\fi-240 j\\par "
        "\\pard l\\par {\\qc g\\par }after}");
    ASSERT_EQ(doc.paragraphCount(), 6u);
    EXPECT_EQ(doc.paragraphs()[0].format.align, Alignment::Center);
    EXPECT_EQ(doc.paragraphs()[1].format.align, Alignment::Right);
    EXPECT_EQ(doc.paragraphs()[2].format, (ParagraphFormat{Alignment::Justify, 720, 360, -240}));
    EXPECT_EQ(doc.paragraphs()[3].format, ParagraphFormat{});
    EXPECT_EQ(doc.paragraphs()[4].format.align, Alignment::Center);
    EXPECT_EQ(doc.paragraphs()[5].format.align, Alignment::Left);  // group end restores
}

TEST(RtfFormat, htmlConverterOutputRendersParagraphsAndBoldRuns) {
    std::string rtf =
        HtmlToRtf(WithCrLf(u"<html><head><title>T</title></head><body><h1>Big</h1><p>Один two</p>"
                           u"<p>a <b>bold</b> c</p></body></html>"));
    ASSERT_TRUE(IsRtf(rtf));
    RichDocument doc = ReadRtf(rtf);
    std::vector<std::u16string> texts;
    for (const Paragraph& p : doc.paragraphs())
        texts.push_back(p.text());
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"", u" Big", u"", u" Один two", u"", u" a",
                                                  u" bold", u" c", u""}));
    auto bold = [&](std::size_t i) {
        const auto runs = doc.paragraphs()[i].runs;
        return !runs.empty() && runs.back().format.bold;
    };
    EXPECT_TRUE(bold(1));
    EXPECT_FALSE(bold(3));
    EXPECT_FALSE(bold(5));
    EXPECT_TRUE(bold(6));
    EXPECT_FALSE(bold(7));
    EXPECT_EQ(doc.fonts, std::vector<std::u16string>{u"MS Sans Serif"});
}

// --- what the editor takes for rich text ---

struct SniffCase {
    const char* name;
    std::string bytes;
    bool rtf;
};

void PrintTo(const SniffCase& c, std::ostream* os) {
    *os << c.name;
}

class RtfSniff : public testing::TestWithParam<SniffCase> {};

TEST_P(RtfSniff, startDecides) {
    EXPECT_EQ(IsRtf(GetParam().bytes), GetParam().rtf);
}

INSTANTIATE_TEST_SUITE_P(Starts, RtfSniff,
                         testing::Values(SniffCase{"rtfStart", "{\\rtf1 x}", true},
                                         SniffCase{"blanksBefore", " \r\n\t{\\rtf", true},
                                         SniffCase{"utf8MarkBefore", "\xEF\xBB\xBF{\\rtf1}", true},
                                         SniffCase{"cutShort", "{\\rt", false},
                                         SniffCase{"textBefore", "x{\\rtf1}", false},
                                         SniffCase{"empty", "", false},
                                         SniffCase{"upperCase", "{\\RTF1}", false},
                                         SniffCase{"blankAfterBrace", "{ \\rtf1}", false}),
                         test::CaseName);

// --- hostile input ---

TEST(RtfHostile, deepNestingReadsAllTextWithoutRecursion) {
    const std::size_t depth = 100000;
    std::string rtf = "{\\rtf1 a";
    for (std::size_t i = 0; i < depth; ++i)
        rtf += "{\\b ";
    rtf += "deep";
    for (std::size_t i = 0; i < depth; ++i)
        rtf += "}";
    rtf += "z}";
    RichDocument doc = ReadRtf(rtf);
    EXPECT_EQ(Utf16ToUtf8(doc.plainText()), "adeepz");
    EXPECT_FALSE(doc.paragraphs()[0].runs.back().format.bold);  // the groups did close
}

// Unbalanced and cut-off input keeps what was read.
INSTANTIATE_TEST_SUITE_P(Unbalanced, RtfText,
                         testing::Values(TextCase{"extraClosingBraces", "{\\rtf1 a}}}}b", "a"},
                                         TextCase{"unclosedGroups", "{\\rtf1 a{{{{b", "ab"},
                                         TextCase{"cutAfterBackslash", "{\\rtf1 a\\", "a"},
                                         TextCase{"cutAfterHexMark", "{\\rtf1 a\\'", "a"},
                                         TextCase{"cutInsideHex", "{\\rtf1 a\\'c", "a"},
                                         TextCase{"cutAfterUnicodeWord", "{\\rtf1 a\\u", "a"},
                                         TextCase{"cutAfterUnicodeSign", "{\\rtf1 a\\u-", "a-"},
                                         TextCase{"cutAfterBin", "{\\rtf1 a\\bin", "a"},
                                         TextCase{"cutInsideFontTable",
                                                  "{\\rtf1 a{\\fonttbl{\\f0 Ar", "a"}),
                         test::CaseName);

// Numbers too big for their fields are saturated.
INSTANTIATE_TEST_SUITE_P(
    HugeNumbers, RtfText,
    testing::Values(
        TextCase{"binLength", "{\\rtf1 a\\bin99999999999999999999999 xyz}", "a"},
        TextCase{"negativeBinLength", "{\\rtf1 a\\bin-5 b}", "ab"},
        TextCase{"unicodeSkipCount", "{\\rtf1 \\uc2147483648\\u65 xyz}", "A"},
        TextCase{"formatParameters",
                 "{\\rtf1 \\fs99999999999999\\li-99999999999999\\cf99999999999 ok}", "ok"},
        TextCase{"controlWordLength", "{\\rtf1 \\" + std::string(100000, 'a') + " ok}", "ok"}),
    test::CaseName);

TEST(RtfHostile, aForgedFontTableStaysSmall) {
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0 " + std::string(1000000, 'N') + ";}";
    for (int i = 1; i < 200000; ++i)
        rtf += "{\\f" + std::to_string(i) + " F;}";
    rtf += "}\\f0 a\\f199999 b}";
    const RichDocument doc = ReadRtf(rtf);
    EXPECT_EQ(Utf16ToUtf8(doc.plainText()), "ab");
    EXPECT_LE(doc.fonts.size(), 32768u);
    EXPECT_LE(doc.fonts[0].size(), 256u);
}

TEST(RtfHostile, everyPrefixOfARealFileLoads) {
    std::string rtf = ReadData("libreoffice_formats.rtf");
    ASSERT_FALSE(rtf.empty());
    std::u16string full = ReadRtf(rtf).plainText();
    for (std::size_t n = 0; n <= rtf.size(); n += 7) {
        std::u16string part = ReadRtf(std::string_view(rtf).substr(0, n)).plainText();
        // Text read from a cut file is never more than the whole file's.
        ASSERT_LE(part.size(), full.size() + 1) << n;
    }
}

TEST(RtfHostile, randomBytesAfterTheHeaderNeverCrash) {
    std::mt19937 rng(20240601);
    const std::string alphabet = "{}\\\\\\'*0123456789-abcdefuvbinpartlcx ;\r\n\x80\xff";
    for (int round = 0; round < 3000; ++round) {
        std::string rtf = "{\\rtf1\\ansi ";
        int len = static_cast<int>(rng() % 200);
        for (int i = 0; i < len; ++i)
            rtf.push_back(alphabet[rng() % alphabet.size()]);
        RichDocument doc = ReadRtf(rtf);
        ASSERT_FALSE(doc.paragraphCount() == 0) << rtf;
    }
}

// --- against real producers ---

// Words in order with every run of blanks, tabs and line breaks as one blank: what
// separates cells, list labels and blank lines differs between programs, the text
// does not.
std::u16string Words(std::u16string_view text) {
    std::u16string out;
    bool blank = false;
    for (char16_t c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\u00A0') {
            blank = true;
            continue;
        }
        if (c == u'\uFEFF') continue;
        if (blank && !out.empty()) out.push_back(u' ');
        blank = false;
        out.push_back(c);
    }
    return out;
}

class RtfProducers : public testing::TestWithParam<const char*> {};

TEST_P(RtfProducers, plainTextMatchesTheProducersOwnExport) {
    std::string rtf = ReadData(std::string(GetParam()) + ".rtf");
    std::string expected = ReadData(std::string(GetParam()) + ".expected.txt");
    ASSERT_FALSE(rtf.empty());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Utf16ToUtf8(Words(ReadRtf(rtf).plainText())),
              Utf16ToUtf8(Words(DecodeTextFile(expected).text)));
}

TEST(RtfProducers, tableRowsBecomeTabSeparatedLines) {
    for (const char* name : {"libreoffice_mixed", "pandoc_mixed"}) {
        std::u16string text = ReadRtf(ReadData(std::string(name) + ".rtf")).plainText();
        EXPECT_NE(text.find(u"\nСлово\tWord\tЧисло\n"), text.npos) << name;
        EXPECT_NE(text.find(u"\nкот\tcat\t22\n"), text.npos) << name;
    }
}

// The parameter is the files' common name, a name in itself.
INSTANTIATE_TEST_SUITE_P(Files, RtfProducers,
                         testing::Values("libreoffice_mixed", "libreoffice_quotes",
                                         "libreoffice_formats", "pandoc_mixed", "pandoc_quotes"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
}  // namespace vernalo
