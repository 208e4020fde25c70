#include "dict/dictionary.h"

#include <gtest/gtest.h>

#include <string>

namespace vernalo {
namespace {

TEST(Dictionary, absentKeyIsEmptyAndStaysAbsent) {
    Dictionary d;
    EXPECT_EQ(d.Lookup(u"word"), u"");
    EXPECT_EQ(d.Lookup(u"word"), u"");
    EXPECT_EQ(d.size(), 0u);  // lookups do not grow the store
}

TEST(Dictionary, assignAfterLookupAndLaterAssignWin) {
    Dictionary d;
    EXPECT_EQ(d.Lookup(u"kg"), u"");
    d.Assign(u"kg", u"kilogram");
    EXPECT_EQ(d.Lookup(u"kg"), u"kilogram");
    d.Assign(u"kg", u"kilograms");
    EXPECT_EQ(d.Lookup(u"kg"), u"kilograms");
    EXPECT_EQ(d.size(), 1u);
    d.Assign(u"kg", u"");  // an empty value means no replacement
    EXPECT_EQ(d.Lookup(u"kg"), u"");
}

TEST(Dictionary, keysAreExactStrings) {
    Dictionary d;
    d.Assign(u"Hello", u"Heh-low");
    EXPECT_EQ(d.Lookup(u"hello"), u"");
    EXPECT_EQ(d.Lookup(u"Hello "), u"");
    EXPECT_EQ(d.Lookup(u" Hello"), u"");
    EXPECT_EQ(d.Lookup(u"Hell"), u"");
    EXPECT_EQ(d.Lookup(u"Hello"), u"Heh-low");
}

TEST(Dictionary, holdsTextOutsideTheCodePage) {
    Dictionary d;
    d.Assign(u"café", u"ка фе");
    d.Assign(u"кафе", u"caf\u00E9 \U0001F600");
    d.Assign(u"\u0098", u"x");  // the unassigned byte still round-trips
    EXPECT_EQ(d.Lookup(u"café"), u"ка фе");
    EXPECT_EQ(d.Lookup(u"кафе"), u"caf\u00E9 \U0001F600");
    EXPECT_EQ(d.Lookup(u"cafe"), u"");
    EXPECT_EQ(d.Lookup(u"\u0098"), u"x");
}

TEST(Dictionary, manyEntriesSurviveGrowth) {
    Dictionary d;
    for (int i = 0; i < 50000; ++i) {
        std::u16string k = u"k";
        for (char c : std::to_string(i))
            k.push_back(static_cast<char16_t>(c));
        d.Assign(k, k + u"v");
    }
    EXPECT_EQ(d.size(), 50000u);
    EXPECT_EQ(d.Lookup(u"k0"), u"k0v");
    EXPECT_EQ(d.Lookup(u"k49999"), u"k49999v");
    EXPECT_EQ(d.Lookup(u"k50000"), u"");
}

}  // namespace
}  // namespace vernalo
