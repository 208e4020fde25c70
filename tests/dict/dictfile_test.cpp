#include "dict/dictfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <utility>
#include <vector>

namespace vernalo {
namespace {

using namespace std::string_literals;

struct ParseCase {
    const char* name;
    std::string file;
    std::vector<std::pair<std::u16string, std::u16string>> present;  // key, value ("" = absent)
    std::size_t stored;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseDictionaryCases : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseDictionaryCases, storesWhatTheLinesSay) {
    const ParseCase& c = GetParam();
    Dictionary d;
    DictParseResult r = ParseDictionary(c.file, d);
    EXPECT_EQ(r.entriesStored, c.stored);
    for (const auto& [key, value] : c.present)
        EXPECT_EQ(d.lookup(key), value) << "key of length " << key.size();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseDictionaryCases,
    testing::Values(
        ParseCase{"plain", "abc=xyz\r\n", {{u"abc", u"xyz"}}, 1},
        ParseCase{
            "spacesBelongToKeyAndValue", "abc = xyz\r\n", {{u"abc ", u" xyz"}, {u"abc", u""}}, 1},
        ParseCase{"lastLineForAKeyWins", "k=1\r\nk=2\r\n", {{u"k", u"2"}}, 2},
        ParseCase{"furtherEqualsDropped", "a=b=c\r\n", {{u"a", u"bc"}}, 1},
        ParseCase{"unitAfterEqualsIsLiteral", "a==b\r\n", {{u"a", u"=b"}}, 1},
        ParseCase{"blankLineLeavesNoTrace", "\r\nk=v\r\n", {{u"k", u"v"}}, 1},
        ParseCase{"lineWithoutEquals", "nothing\r\nk=v\r\n", {{u"nothing", u""}, {u"k", u"v"}}, 1},
        ParseCase{"emptyKey", "=x\r\nk=v\r\n", {{u"", u""}, {u"k", u"v"}}, 1},
        ParseCase{"emptyValue", "x=\r\nk=v\r\n", {{u"x", u""}, {u"k", u"v"}}, 1},
        ParseCase{"equalsBeforeLineEnd", "a=b=\r\nc=d\r\n", {{u"a", u"b"}, {u"c", u"d"}}, 2},
        ParseCase{"lastLineNeedsCrLf", "k=v\r\nlast=one", {{u"k", u"v"}, {u"last", u""}}, 1},
        ParseCase{"lfOnlyStoresNothing", "a=b\nc=d\n", {{u"a", u""}, {u"c", u""}}, 0},
        ParseCase{"loneCrAndLfAreOrdinary", "a\nb=c\rd\r\n", {{u"a\nb", u"c\rd"}}, 1},
        ParseCase{"emptyFile", "", {{u"", u""}}, 0},
        ParseCase{"windows1251",
                  "\xEF\xF0\xE8\xE2\xE5\xF2=\xEF\xF0\xE8-\xE2\xE5\xF2\r\n",
                  {{u"привет", u"при-вет"}},
                  1},
        ParseCase{
            "utf8",
            "\xD0\xBA\xD0\xB3=\xD0\xBA\xD0\xB8\xD0\xBB\xD0\xBE\r\ncaf\xC3\xA9=\xE6\x97\xA5\r\n",
            {{u"кг", u"кило"}, {u"café", u"日"}},
            2},
        ParseCase{"utf8MarkIsNotPartOfTheFirstKey", "\xEF\xBB\xBFkey=v\r\n", {{u"key", u"v"}}, 1},
        ParseCase{"utf16le", "\xFF\xFEk\0=\0v\0\r\0\n\0"s, {{u"k", u"v"}}, 1},
        ParseCase{"utf16be", "\xFE\xFF\0k\0=\0=\0v\0\r\0\n"s, {{u"k", u"=v"}}, 1}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(LoadDictionaryFile, missingFileFailsAndLeavesTheMap) {
    Dictionary d;
    d.assign(u"x", u"y");
    std::string error;
    EXPECT_FALSE(LoadDictionaryFile("/nonexistent/readerru.dic", d, nullptr, &error));
    EXPECT_NE(error.find("readerru.dic"), std::string::npos);
    EXPECT_EQ(d.lookup(u"x"), u"y");
}

TEST(LoadDictionaryFile, readsAFileAndReportsProgressToTheEnd) {
    std::string path = testing::TempDir() + "vernalo_dict_test.dic";
    {
        std::ofstream f(path, std::ios::binary);
        for (int i = 0; i < 1000; ++i)
            f << "w" << i << "=v" << i << "\r\n";
    }
    Dictionary d;
    DictParseResult r;
    std::size_t lastDone = 0, total = 0;
    ASSERT_TRUE(LoadDictionaryFile(path, d, &r, nullptr, [&](std::size_t done, std::size_t all) {
        lastDone = done;
        total = all;
    }));
    std::remove(path.c_str());
    EXPECT_EQ(r.entriesStored, 1000u);
    EXPECT_EQ(r.encoding, TextEncoding::Utf8);
    EXPECT_EQ(d.lookup(u"w999"), u"v999");
    EXPECT_GT(total, 0u);
    EXPECT_EQ(lastDone, total);
}

}  // namespace
}  // namespace vernalo
