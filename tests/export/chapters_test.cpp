// How an audiobook is cut by chapters: which headings start a file, the files' names and the
// playlist that lists them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/chapters.h"

namespace {

using namespace vernalo;

struct ChapterCase {
    const char* what;
    std::vector<HeadingMark> headings;
    std::u16string text;
    std::vector<std::pair<long, std::string>> chapters;
};

TEST(TopLevelChapters, cutsAtTheTopLevelThereIs) {
    const std::u16string book = u"Title page\nOne\nText one.\nTwo\nText two.\n";
    const ChapterCase cases[] = {
        {"no headings: the whole text", {}, book, {{0, "Book"}}},
        {"words before the first heading open the book",
         {{11, 1, "One"}, {25, 1, "Two"}},
         book,
         {{0, "Book"}, {11, "One"}, {25, "Two"}}},
        {"only blanks before it: the first chapter starts at 0",
         {{3, 1, "One"}},
         u" \n\nOne text",
         {{0, "One"}}},
        {"lower levels are left inside their chapter",
         {{0, 1, "Part"}, {11, 2, "Section"}, {25, 1, "Next"}},
         book,
         {{0, "Part"}, {25, "Next"}}},
        {"a book of level-2 headings only is cut at those",
         {{0, 2, "A"}, {11, 2, "B"}},
         book,
         {{0, "A"}, {11, "B"}}},
        {"headings outside the text or not after the last are dropped",
         {{-1, 1, "Before"}, {0, 1, "A"}, {0, 1, "Same place"}, {99, 1, "Past"}},
         book,
         {{0, "A"}}},
    };
    for (const ChapterCase& c : cases) {
        std::vector<std::pair<long, std::string>> got;
        for (const ExportChapter& e : TopLevelChapters(c.headings, c.text, "Book"))
            got.push_back({e.start, e.title});
        EXPECT_EQ(got, c.chapters) << c.what;
    }
}

TEST(ChapterFileName, isSafeOnEveryFileSystem) {
    const struct {
        int number, width;
        std::string title, name;
    } cases[] = {
        {7, 2, "Title", "07 - Title.mp3"},
        {7, 3, "Title", "007 - Title.mp3"},
        {12, 1, "Title", "12 - Title.mp3"},
        {1, 2, "a/b\\c:d*e?f\"g<h>i|j", "01 - a_b_c_d_e_f_g_h_i_j.mp3"},
        {1, 2, "  Two \t\n words  ", "01 - Two words.mp3"},
        {1, 2, "Ends with dots...", "01 - Ends with dots.mp3"},
        {1, 2, "", "01.mp3"},
        {1, 2, "...", "01.mp3"},
        {1, 2, "Глава первая", "01 - Глава первая.mp3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChapterFileName(c.number, c.width, c.title, ".mp3"), c.name) << c.title;
    // A long title is cut within 200 bytes, never inside a character.
    std::string longTitle;
    for (int i = 0; i < 150; ++i)
        longTitle += "я";
    const std::string cut = ChapterFileName(1, 2, longTitle, ".mp3");
    EXPECT_EQ(cut, "01 - " + longTitle.substr(0, 200) + ".mp3");
}

TEST(M3uPlaylist, listsTheFilesWithTheirLengthsAndTitles) {
    EXPECT_EQ(M3uPlaylist({}), "#EXTM3U\n");
    EXPECT_EQ(M3uPlaylist({{"01 - One.mp3", 61.4, "One"}, {"02 - Two.mp3", 0.5, "Two\r\nlines"}}),
              "#EXTM3U\n#EXTINF:61,One\n01 - One.mp3\n#EXTINF:1,Two  lines\n02 - Two.mp3\n");
}

}  // namespace
