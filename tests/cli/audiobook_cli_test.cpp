// vernalo-cli audiobook: a folder of books, each into one file with chapter marks.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/cli_runner.h"

namespace {

using namespace vernalo::test;
namespace fs = std::filesystem;

int CountChapters(const std::string& path) {
    FILE* p = popen(
        ("ffprobe -v error -show_entries chapter=id -of csv=p=0 '" + path + "' 2>/dev/null | wc -l")
            .c_str(),
        "r");
    int lines = -1;
    if (p && std::fscanf(p, "%d", &lines) != 1) lines = -1;
    if (p) pclose(p);
    return lines;
}

// A damaged book among good ones is reported with its reason and the rest are finished, each
// named from its title (the second of one title numbered); a second run skips what is done.
TEST(CliAudiobook, folderWithADamagedBookFinishesTheRest) {
    const std::string books = std::string(VERNALO_TEST_DATA) + "/books/";
    const std::string shelf = TempPath("shelf"), out = TempPath("audiobooks");
    fs::remove_all(shelf);
    fs::remove_all(out);
    fs::create_directories(shelf);
    fs::copy_file(books + "book.epub", shelf + "/a.epub");
    fs::copy_file(books + "book.fb2", shelf + "/b.fb2");
    std::ofstream(shelf + "/c.epub") << "not a book";
    std::ofstream(shelf + "/notes.txt") << "not taken";

    CliRun r = Cli("audiobook --format mp3 --out-dir " + out + " " + shelf);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("2 done, 0 skipped (already there), 1 failed\n  " + shelf +
                         "/c.epub: the file is damaged or incomplete"),
              std::string::npos)
        << r.out;
    const std::string first = out + "/Весна в городе.mp3", second = out + "/Весна в городе (2).mp3";
    EXPECT_TRUE(fs::exists(first) && fs::exists(second)) << r.out;
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 2);
    if (const int marks = CountChapters(first); marks >= 0) {
        EXPECT_EQ(marks, 3);
    }

    r = Cli("audiobook --format mp3 --out-dir " + out + " " + shelf);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("0 done, 2 skipped (already there), 1 failed"), std::string::npos)
        << r.out;
    for (const char* bad : {"audiobook --format wav --out-dir x a.epub", "audiobook a.epub",
                            "audiobook --format doc --out-dir x a.epub"})
        EXPECT_EQ(Cli(bad).status, 2) << bad;
}

}  // namespace
