#include "settings/placestore.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/casename.h"

namespace vernalo {
namespace {

// A store read from `file`, then told of `remembered` in order (and of `generated` more
// documents "/doc0", "/doc1"... before them), asked for `path` with `size` and `modified`.
struct PlaceCase {
    const char* name;
    std::string file;
    std::vector<ReadingPlace> remembered;
    std::optional<long> expected;
    std::size_t count;  // places kept afterwards
    std::string path = "/books/a.fb2";
    std::int64_t size = 10;
    std::int64_t modified = 100;
    int generated = 0;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kA = "10\t100\t42\t/books/a.fb2\n";

const PlaceCase kCases[] = {
    {"sameFileComesBackAtItsPlace", kA, {}, 42, 1},
    {"changedSizeStartsAtTheBeginning", kA, {}, std::nullopt, 1, "/books/a.fb2", 11},
    {"changedTimeStartsAtTheBeginning", kA, {}, std::nullopt, 1, "/books/a.fb2", 10, 101},
    {"unknownDocumentHasNoPlace", kA, {}, std::nullopt, 1, "/books/b.fb2"},
    {"newPlaceReplacesTheOld", kA, {{"/books/a.fb2", 10, 100, 7}}, 7, 1},
    {"editedFileGetsItsNewStamp", kA, {{"/books/a.fb2", 12, 200, 0}}, std::nullopt, 1},
    {"damagedLinesAreSkippedTheRestKept",
     "garbage\n\x01\x02\xff\xfe\n10\t100\n10\tx\t5\t/books/c\n10\t100\t-3\t/books/d\n"
     "10\t100\t5\trelative/e\n" +
         kA + "10\t100\t9\n",
     {},
     42,
     1},
    {"windowsLineEndsRead", "# header\r\n10\t100\t42\t/books/a.fb2\r\n", {}, 42, 1},
    {"pathWithTabsAndSpacesKept",
     "",
     {{"/books/my\tbook a.fb2", 10, 100, 3}},
     3,
     1,
     "/books/my\tbook a.fb2"},
    {"pathWithLineBreakNotKept",
     "",
     {{"/books/a\nb.fb2", 10, 100, 3}},
     std::nullopt,
     0,
     "/books/a\nb.fb2"},
    {"firstLineOfAPathIsItsNewest", kA + "10\t100\t5\t/books/a.fb2\n", {}, 42, 1},
    {"aHundredKeptTheOldestForgotten", "", {}, std::nullopt, 100, "/doc0", 1, 1, 101},
    {"theNewestOfAHundredKept", "", {}, 100, 100, "/doc100", 1, 1, 101},
    {"reopenedDocumentIsNotForgotten", "", {{"/doc0", 1, 1, 5}}, 5, 100, "/doc0", 1, 1, 101},
};

class PlaceStoreCases : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceStoreCases, findsThePlaceAndWritesWhatItReads) {
    const PlaceCase& c = GetParam();
    PlaceStore store = PlaceStore::fromText(c.file);
    for (int i = 0; i < c.generated; ++i)
        store.remember({"/doc" + std::to_string(i), 1, 1, i});
    for (const ReadingPlace& p : c.remembered)
        store.remember(p);
    EXPECT_EQ(store.find(c.path, c.size, c.modified), c.expected);
    EXPECT_EQ(store.places().size(), c.count);
    // What is written reads back the same, in the same order.
    const PlaceStore again = PlaceStore::fromText(store.toText());
    ASSERT_EQ(again.places().size(), store.places().size());
    for (std::size_t i = 0; i < again.places().size(); ++i) {
        EXPECT_EQ(again.places()[i].path, store.places()[i].path);
        EXPECT_EQ(again.places()[i].position, store.places()[i].position);
    }
}

INSTANTIATE_TEST_SUITE_P(Places, PlaceStoreCases, testing::ValuesIn(kCases), test::CaseName);

// A places file that cannot be read is reported, not taken for an empty one that the next
// save would write over.
TEST(PlaceStore, unreadableFileIsReportedAndMissingOneIsEmpty) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vernalo_places_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "places.txt");
    PlaceStore store;
    std::string error;
    EXPECT_FALSE(PlaceStore::load((dir / "places.txt").string(), store, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(PlaceStore::load((dir / "missing.txt").string(), store, &error));
    EXPECT_TRUE(store.places().empty());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vernalo
