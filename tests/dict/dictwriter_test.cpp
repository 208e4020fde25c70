// Writing dictionaries back: what the parser reads from the written bytes is what was stored,
// in the file's encoding when the entries fit it; removing entries keeps the rest reachable.

#include "dict/dictwriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "dict/dictfile.h"

namespace vernalo {
namespace {

using Entries = std::map<std::u16string, std::u16string>;

Entries Listed(const Dictionary& d) {
    Entries out;
    for (std::size_t i = 0; i < d.size(); ++i)
        out[d.keyAt(i)] = d.valueAt(i);
    return out;
}

struct WriteCase {
    const char* name;
    Entries entries;
    TextEncoding wanted;
    TextEncoding written;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class DictionaryWriteCases : public testing::TestWithParam<WriteCase> {};

TEST_P(DictionaryWriteCases, readsBackTheSameEntriesInTheEncodingThatHoldsThem) {
    const WriteCase& c = GetParam();
    Dictionary d;
    for (const auto& [k, v] : c.entries)
        d.assign(k, v);
    TextEncoding used{};
    const std::string bytes = DictionaryFileBytes(d, c.wanted, &used);
    EXPECT_EQ(used, c.written);
    Dictionary back;
    const DictParseResult r = ParseDictionary(bytes, back);
    // Plain ASCII reads as UTF-8, which gives the same entries.
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char b) { return static_cast<unsigned char>(b) < 0x80; });
    EXPECT_EQ(r.encoding, ascii ? TextEncoding::Utf8 : c.written);
    EXPECT_EQ(Listed(back), c.entries);
    // Every line is key=value and ends in CR LF.
    if (c.written == TextEncoding::Cp1251 && !bytes.empty()) {
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, DictionaryWriteCases,
    testing::Values(
        WriteCase{"cyrillicStaysWindows1251",
                  {{u"замок", u"зам+ок"}, {u"Hello", u"Heh-low"}},
                  TextEncoding::Cp1251,
                  TextEncoding::Cp1251},
        WriteCase{"stressMarkTurnsItIntoUtf8WithMark",
                  {{u"замок", u"за\u0301мок"}, {u"молоко", u"молоко"}},
                  TextEncoding::Cp1251,
                  TextEncoding::Utf8Bom},
        // D0 B8 is "и" in UTF-8: the loader would take the file for UTF-8.
        WriteCase{"windows1251ThatLooksLikeUtf8IsNotWrittenSo",
                  {{u"Рё", u"Рё"}},
                  TextEncoding::Cp1251,
                  TextEncoding::Utf8Bom},
        WriteCase{"equalsInValuesSurvive",
                  {{u"a", u"="}, {u"b", u"x=y"}, {u"c", u"==z="}},
                  TextEncoding::Cp1251,
                  TextEncoding::Cp1251},
        WriteCase{"utf8StaysUtf8",
                  {{u"ёж", u"йож"}, {u"e.g.", u"for example"}},
                  TextEncoding::Utf8,
                  TextEncoding::Utf8},
        WriteCase{"utf8WithMarkStaysSo",
                  {{u"日本", u"nihon=x"}},
                  TextEncoding::Utf8Bom,
                  TextEncoding::Utf8Bom},
        WriteCase{"utf16StaysUtf16",
                  {{u"замок", u"за\u0301мок"}, {u"k", u"=v"}},
                  TextEncoding::Utf16LE,
                  TextEncoding::Utf16LE},
        WriteCase{"emptyDictionary", {}, TextEncoding::Cp1251, TextEncoding::Cp1251}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DictionaryEntryCheck, refusesWhatTheFileCannotGiveBack) {
    const struct {
        std::u16string key, value;
        DictEntryProblem problem;
    } cases[] = {
        {u"word", u"w+ord", DictEntryProblem::None},
        {u"word", u"a=b", DictEntryProblem::None},
        {u"", u"x", DictEntryProblem::EmptyKey},
        {u"x", u"", DictEntryProblem::EmptyValue},
        {u"a=b", u"x", DictEntryProblem::EqualsInKey},
        {u"a", u"x\ny", DictEntryProblem::LineBreak},
        {u"a\r", u"x", DictEntryProblem::LineBreak},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckDictEntry(c.key, c.value), c.problem) << c.key.size() << c.value.size();
}

TEST(DictionaryRemove, keepsEveryOtherEntryReachableAndListed) {
    Dictionary d;
    Entries expected;
    for (int i = 0; i < 3000; ++i) {
        const std::u16string key = u"w" + std::u16string(1, static_cast<char16_t>(u'а' + i % 32)) +
                                   std::u16string(1, static_cast<char16_t>(u'0' + i / 32 % 10)) +
                                   std::u16string(1, static_cast<char16_t>(u'A' + i / 320));
        d.assign(key, key + u"!");
        expected[key] = key + u"!";
    }
    ASSERT_EQ(d.size(), expected.size());
    int n = 0;
    for (auto it = expected.begin(); it != expected.end();) {
        if (n++ % 3 == 0) {
            EXPECT_TRUE(d.remove(it->first));
            EXPECT_FALSE(d.remove(it->first));
            it = expected.erase(it);
        } else {
            ++it;
        }
    }
    EXPECT_EQ(Listed(d), expected);
    for (const auto& [k, v] : expected)
        ASSERT_EQ(d.lookup(k), v);
    d.assign(u"new", u"one");
    EXPECT_EQ(d.lookup(u"new"), u"one");
}

}  // namespace
}  // namespace vernalo
