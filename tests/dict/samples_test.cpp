// The dictionaries shipped with the program are data in the file format: every line must end
// with CR LF and store an entry, and Russian text must be Windows-1251.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "dict/dictfile.h"
#include "text/fileio.h"

namespace vernalo {
namespace {

struct Sample {
    const char* file;
    std::vector<std::pair<std::u16string, std::u16string>> entries;
};
void PrintTo(const Sample& s, std::ostream* os) {
    *os << s.file;
}

class ShippedDictionaries : public testing::TestWithParam<Sample> {};

TEST_P(ShippedDictionaries, everyLineStoresAnEntryInWindows1251) {
    const Sample& s = GetParam();
    std::string bytes, error;
    ASSERT_TRUE(ReadWholeFile(std::string(VERNALO_SOURCE_DIR "/dict/") + s.file, bytes, &error))
        << error;
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const auto lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    EXPECT_EQ(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\r')), lines)
        << "a line ends without CR LF";
    EXPECT_GE(lines, 24u);

    Dictionary d;
    const DictParseResult r = ParseDictionary(bytes, d);
    EXPECT_EQ(r.encoding, TextEncoding::Cp1251);
    EXPECT_EQ(r.entriesStored, lines);
    EXPECT_EQ(d.size(), lines) << "a key is repeated";
    for (const auto& [key, value] : s.entries)
        EXPECT_EQ(d.lookup(key), value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ShippedDictionaries,
    testing::Values(
        Sample{"readerru.dic",
               {{u"МГУ", u"эм гэ у"}, {u"млн", u"миллионов"}, {u"w", u"в"}, {u"J", u"ДЖ"}}},
        Sample{"readeren.dic",
               {{u"Inc", u"Incorporated"}, {u"kg", u"kilograms"}, {u"ж", u"zh"}, {u"Щ", u"Shch"}}}),
    [](const testing::TestParamInfo<Sample>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace vernalo
