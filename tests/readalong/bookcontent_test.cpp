// The read-along book's text files for a small document and timeline made by hand.

#include <gtest/gtest.h>

#include <string>

#include "readalong/epub3/bookcontent.h"
#include "speech/samplesink.h"

namespace {

using namespace vernalo;

constexpr std::int64_t Ms(std::int64_t ms) {
    return ms * kSampleRate / 1000;
}

// "Title" (a heading) / "Hi <b>there</b>. Да & нет" / "still." with the pieces "Title",
// "Hi there." (twice) and "Да & нет\nstill.", which runs on into the next paragraph.
RichDocument Document() {
    RichDocument d;
    CharFormat bold;
    bold.bold = true;
    d.addParagraph({{}, {{{}, u"Title"}}});
    d.addParagraph({{}, {{{}, u"Hi "}, {bold, u"there"}, {{}, u". Да & нет"}}});
    d.addParagraph({{}, {{{}, u"still."}}});
    d.addHeading(u"Title", 1, 0);
    return d;
}

BookChapter Chapter() {
    BookChapter c;
    c.title = "Title";
    c.textEnd = 31;
    c.name = "c01";
    c.part.samples = Ms(9000);
    c.part.pieces = {{{0, 5}, Language::English, 0, Ms(100), Ms(900), {}},
                     {{6, 9}, Language::English, 0, Ms(1000), Ms(2000), {}},
                     {{6, 9}, Language::English, 1, Ms(3000), Ms(4000), {}},
                     {{16, 15}, Language::Russian, 0, Ms(5000), Ms(8000), {}}};
    return c;
}

const BookInfo kInfo{"Book", "", "en", "urn:uuid:x", "2026-01-01T00:00:00Z"};

TEST(ReadAlongBook, sentencesAreElementsWithinTheParagraphs) {
    const ChapterXhtml x = MakeChapterXhtml(Document(), Chapter(), kInfo);
    const auto from = x.xhtml.find("<h1>"), to = x.xhtml.find("</section>");
    ASSERT_NE(from, std::string::npos);
    EXPECT_EQ(x.xhtml.substr(from, to - from),
              "<h1><span id=\"s1\">Title</span></h1>\n"
              "<p><span id=\"s2\">Hi <b>there</b>.</span> <span id=\"s3\" lang=\"ru\" "
              "xml:lang=\"ru\">Да &amp; нет</span></p>\n"
              "<p><span lang=\"ru\" xml:lang=\"ru\">still.</span></p>\n");
}

// One clip each time a sentence is heard, running to the next one's start so that the pauses
// play; the durations add up to the clips'.
TEST(ReadAlongBook, overlayClipsCoverTheFileFromTheFirstSound) {
    const BookChapter c = Chapter();
    const ChapterXhtml x = MakeChapterXhtml(Document(), c, kInfo);
    std::int64_t ms = 0;
    const std::string smil = MakeOverlay(c, x.ids, &ms);
    const auto from = smil.find("<par"), to = smil.find("</seq>");
    ASSERT_NE(from, std::string::npos);
    EXPECT_EQ(smil.substr(from, to - from),
              "<par id=\"p1\"><text src=\"c01.xhtml#s1\"/><audio src=\"audio/c01.mp3\" "
              "clipBegin=\"0.100s\" clipEnd=\"1.000s\"/></par>\n"
              "<par id=\"p2\"><text src=\"c01.xhtml#s2\"/><audio src=\"audio/c01.mp3\" "
              "clipBegin=\"1.000s\" clipEnd=\"3.000s\"/></par>\n"
              "<par id=\"p3\"><text src=\"c01.xhtml#s2\"/><audio src=\"audio/c01.mp3\" "
              "clipBegin=\"3.000s\" clipEnd=\"5.000s\"/></par>\n"
              "<par id=\"p4\"><text src=\"c01.xhtml#s3\"/><audio src=\"audio/c01.mp3\" "
              "clipBegin=\"5.000s\" clipEnd=\"9.000s\"/></par>\n");
    EXPECT_EQ(ms, 8900);
    const std::string opf = MakePackage({c, c}, {ms, 100}, kInfo);
    for (const char* meta : {"<meta property=\"media:duration\" refines=\"#c01-overlay\">"
                             "0:00:08.900</meta>",
                             "<meta property=\"media:duration\">0:00:09.000</meta>",
                             "<meta property=\"media:active-class\">vernalo-active</meta>"})
        EXPECT_NE(opf.find(meta), std::string::npos) << meta << "\n" << opf;
}

}  // namespace
