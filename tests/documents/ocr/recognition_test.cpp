// Text recognised in page images: refusals told from the headers at once, the language data
// looked for before anything is loaded, look-alike letters put right, and (label "ocr", a few
// seconds of the engine each) a turned page and a TIFF's pages handed on one by one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "documents/ocr/lookalikes.h"
#include "documents/ocr/pageimage.h"
#include "documents/read.h"
#include "support/casename.h"

namespace vernalo {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kOcr = std::string(VERNALO_TEST_DATA) + "/ocr/";

std::string U8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// A PNG whose header says width x height; its pixel data is a few bytes of nothing.
std::string PngHeader(unsigned width, unsigned height) {
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (unsigned v : {width, height})
        for (int shift : {24, 16, 8, 0})
            png += static_cast<char>((v >> shift) & 0xFF);
    png += std::string("\x08\x00\x00\x00\x00", 5);  // 8-bit grey
    png += std::string("\0\0\0\0", 4);              // the CRC, not checked for the header
    png += std::string("\0\0\0\0IDAT\0\0\0\0\0\0\0\0IEND\xae\x42\x60\x82", 28);
    return png;
}

struct RefusalCase {
    const char* name;
    std::string bytes;
    const char* fileName;
    std::string error;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class ImageRefused : public testing::TestWithParam<RefusalCase> {};

// Told from the headers, before a pixel is decoded or the engine loads.
TEST_P(ImageRefused, withItsMessage) {
    const RefusalCase& c = GetParam();
    const std::u16string name(c.fileName, c.fileName + std::char_traits<char>::length(c.fileName));
    const ReadResult r = ReadDocument(c.bytes, name);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    , ImageRefused,
    testing::Values(
        RefusalCase{"hugePng", PngHeader(30000, 30000), "big.png",
                    "the image is too large to recognise: 30000 x 30000 pixels; at most 50 "
                    "million pixels, 20000 on a side (200 MB decoded)"},
        RefusalCase{"longStrip", PngHeader(25000, 100), "strip.png",
                    "the image is too large to recognise: 25000 x 100 pixels; at most 50 million "
                    "pixels, 20000 on a side (200 MB decoded)"},
        RefusalCase{"pixelsCutShort", Slurp(kOcr + "mixed-300.png").substr(0, 4000), "cut.png",
                    "the image is damaged"},
        RefusalCase{"jpegCutShort", Slurp(kOcr + "mixed-300.jpg").substr(0, 600), "cut.jpg",
                    "the image is damaged"},
        RefusalCase{"textNamedPng", "just some words", "words.png", "the image is damaged"},
        RefusalCase{"tiffWithoutPages", std::string("II*\0\0\0\0\0", 8), "empty.tif",
                    "the image is damaged"}),
    test::CaseName);

// A text that starts as a bitmap's signature does ("BM") is still a text.
TEST(ImageReader, leavesATextThatStartsLikeABitmapToPlainText) {
    const ReadResult r = ReadDocument("BMW and Lada\n", u"cars.txt");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.plainText);
    EXPECT_FALSE(LooksLikeImage("BMW and Lada\n"));
}

TEST(ImageReader, asksForTheLanguageDataWhenItIsMissing) {
    const char* before = std::getenv("TESSDATA_PREFIX");
    const std::string kept = before ? before : "";
    setenv("TESSDATA_PREFIX", "/nonexistent-tessdata", 1);
    const ReadResult r = ReadDocument(Slurp(kOcr + "screenshot.bmp"), u"shot.bmp");
    if (before)
        setenv("TESSDATA_PREFIX", kept.c_str(), 1);
    else
        unsetenv("TESSDATA_PREFIX");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.wholeMessage);
    EXPECT_EQ(r.error,
              "Text recognition needs the Russian and English language data: install "
              "tesseract-ocr-rus and tesseract-ocr-eng.");
}

struct LookAlikeCase {
    const char* name;
    std::vector<RecognisedWord> line;
    std::u16string fixed;
};

void PrintTo(const LookAlikeCase& c, std::ostream* os) {
    *os << c.name;
}

class LookAlikes : public testing::TestWithParam<LookAlikeCase> {};

TEST_P(LookAlikes, takeTheLinesScriptAndTheirHeightsCase) {
    std::vector<RecognisedWord> line = GetParam().line;
    FixLookAlikes(line);
    std::u16string joined;
    for (const RecognisedWord& w : line)
        joined += (joined.empty() ? u"" : u" ") + w.text;
    EXPECT_EQ(U8(joined), U8(GetParam().fixed));
}

std::vector<bool> Small(std::size_t n, bool small = true) {
    return std::vector<bool>(n, small);
}

INSTANTIATE_TEST_SUITE_P(
    , LookAlikes,
    testing::Values(
        LookAlikeCase{"latinWordInARussianLine",
                      {{u"идёт", Small(4)}, {u"OT", Small(2)}, {u"курсора", Small(7)}},
                      u"идёт от курсора"},
        LookAlikeCase{"cyrillicLetterInAnEnglishLine",
                      {{u"reads", Small(5)}, {u"а", Small(1)}, {u"text", Small(4)}},
                      u"reads a text"},
        LookAlikeCase{
            "smallCapitalsBecomeSmall",
            {{u"языка", Small(5)}, {u"СВОЙ", {true, true, true, false}}, {u"ГОЛОС", Small(5)}},
            u"языка свой голос"},
        LookAlikeCase{
            "tallCapitalsStay",
            {{u"Привет,", {false, true, true, true, true, true, true}}, {u"СССР", Small(4, false)}},
            u"Привет, СССР"},
        LookAlikeCase{"aMixedLineChangesNoScript",
                      {{u"Say", {false, true, true}}, {u"и", Small(1)}, {u"OK", Small(2, false)}},
                      u"Say и OK"},
        LookAlikeCase{"capitalAfterSmallLettersIsSmall",
                      {{u"кусок", Small(5)}, {u"русскомУ", Small(8)}},
                      u"кусок русскому"}),
    test::CaseName);

// ---- With the engine (label "ocr") ----

std::size_t WordsFound(const std::u16string& text, const std::string& source) {
    const std::string got = U8(text);
    std::size_t found = 0, at = 0;
    while (at < source.size()) {
        const std::size_t end = source.find_first_of(" \n", at);
        std::string word = source.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? source.size() : end + 1;
        while (!word.empty() && std::string(".,:!?").find(word.back()) != std::string::npos)
            word.pop_back();
        if (!word.empty() && got.find(word) != std::string::npos) ++found;
    }
    return found;
}

std::size_t WordCount(const std::string& s) {
    std::size_t n = 0;
    bool in = false;
    for (char c : s) {
        const bool blank = c == ' ' || c == '\n';
        if (!blank && !in) ++n;
        in = !blank;
    }
    return n;
}

TEST(Recognition, turnsAnUpsideDownPageAndJoinsItsLines) {
    const ReadResult r = ReadDocument(Slurp(kOcr + "ru-upside-down.png"), u"page.png");
    ASSERT_TRUE(r.ok) << r.error;
    const std::string source = Slurp(kOcr + "ru.txt");
    EXPECT_GE(WordsFound(r.document.plainText(), source) * 100, WordCount(source) * 95);
    // Two paragraphs of several lines each, the hyphenated words whole again.
    EXPECT_LE(r.document.paragraphCount(), 3u);
    EXPECT_NE(U8(r.document.plainText()).find("по-английски"), std::string::npos);
    EXPECT_EQ(r.description, "recognised text (Tesseract 5.3, rus+eng)");
}

TEST(Recognition, handsOnATiffsPagesInOrderAsTheyAreDone) {
    std::vector<std::pair<int, int>> progress;
    std::vector<std::string> pages;
    ReadControl control;
    control.progress = [&](int done, int total) { progress.emplace_back(done, total); };
    control.pageRead = [&](RichDocument page) { pages.push_back(U8(page.plainText())); };
    const ReadResult r = ReadDocument(Slurp(kOcr + "three-pages.tif"), u"pages.tif", control);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].rfind("Vernalo reads", 0), 0u) << pages[0];
    EXPECT_EQ(pages[1].rfind("Вернало читает", 0), 0u) << pages[1];
    EXPECT_EQ(pages[2].rfind("Vernalo reads", 0), 0u) << pages[2];
    // The whole text: the same pages, an empty paragraph between them.
    EXPECT_EQ(U8(r.document.plainText()), pages[0] + "\n\n" + pages[1] + "\n\n" + pages[2]);
}

// A page with a text layer is read from it, a scanned page beside it recognised, in order.
TEST(Recognition, readsAPdfsTextLayerAndRecognisesItsScannedPages) {
    int pagesHandedOn = 0;
    ReadControl control;
    control.pageRead = [&](RichDocument) { ++pagesHandedOn; };
    const ReadResult r = ReadDocument(Slurp(kOcr + "mixed-layers.pdf"), u"mixed.pdf", control);
    ASSERT_TRUE(r.ok) << r.error;
    const std::string text = U8(r.document.plainText());
    EXPECT_EQ(text.rfind("A page with its own text layer.\n\nВернало читает текст вслух", 0), 0u)
        << text;
    EXPECT_EQ(pagesHandedOn, 2);
    EXPECT_EQ(r.description, "PDF document, recognised text (Tesseract 5.3, rus+eng)");
}

}  // namespace
}  // namespace vernalo
