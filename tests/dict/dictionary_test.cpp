#include "dict/dictionary.h"

#include <gtest/gtest.h>

#include <string>

namespace vernalo {
namespace {

TEST(Dictionary, absentKeyIsEmptyAndStaysAbsent) {
    Dictionary d;
    EXPECT_EQ(d.lookup(u"word"), u"");
    EXPECT_EQ(d.lookup(u"word"), u"");
    EXPECT_EQ(d.size(), 0u);  // lookups do not grow the store
}

TEST(Dictionary, assignAfterLookupAndLaterAssignWin) {
    Dictionary d;
    EXPECT_EQ(d.lookup(u"kg"), u"");
    d.assign(u"kg", u"kilogram");
    EXPECT_EQ(d.lookup(u"kg"), u"kilogram");
    d.assign(u"kg", u"kilograms");
    EXPECT_EQ(d.lookup(u"kg"), u"kilograms");
    EXPECT_EQ(d.size(), 1u);
    d.assign(u"kg", u"");  // an empty value means no replacement
    EXPECT_EQ(d.lookup(u"kg"), u"");
}

TEST(Dictionary, keysAreExactStrings) {
    Dictionary d;
    d.assign(u"Hello", u"Heh-low");
    EXPECT_EQ(d.lookup(u"hello"), u"");
    EXPECT_EQ(d.lookup(u"Hello "), u"");
    EXPECT_EQ(d.lookup(u" Hello"), u"");
    EXPECT_EQ(d.lookup(u"Hell"), u"");
    EXPECT_EQ(d.lookup(u"Hello"), u"Heh-low");
}

TEST(Dictionary, holdsTextOutsideTheCodePage) {
    Dictionary d;
    d.assign(u"café", u"ка фе");
    d.assign(u"кафе", u"caf\u00E9 \U0001F600");
    d.assign(u"\u0098", u"x");  // the unassigned byte still round-trips
    EXPECT_EQ(d.lookup(u"café"), u"ка фе");
    EXPECT_EQ(d.lookup(u"кафе"), u"caf\u00E9 \U0001F600");
    EXPECT_EQ(d.lookup(u"cafe"), u"");
    EXPECT_EQ(d.lookup(u"\u0098"), u"x");
}

TEST(Dictionary, manyEntriesSurviveGrowth) {
    Dictionary d;
    for (int i = 0; i < 50000; ++i) {
        std::u16string k = u"k";
        for (char c : std::to_string(i))
            k.push_back(static_cast<char16_t>(c));
        d.assign(k, k + u"v");
    }
    EXPECT_EQ(d.size(), 50000u);
    EXPECT_EQ(d.lookup(u"k0"), u"k0v");
    EXPECT_EQ(d.lookup(u"k49999"), u"k49999v");
    EXPECT_EQ(d.lookup(u"k50000"), u"");
}

}  // namespace
}  // namespace vernalo
