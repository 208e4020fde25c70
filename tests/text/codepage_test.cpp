#include "text/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <string>

namespace vernalo {
namespace {

// The system's own converter is an independent source for the table.
char16_t IconvCp1251(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0xFFFF;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char* pin = in;
    char* pout = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1, outLeft = sizeof out;
    std::size_t r = iconv(cd, &pin, &inLeft, &pout, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) return 0xFFFF;
    return static_cast<char16_t>(out[0] | out[1] << 8);
}

TEST(Cp1251, tableAgreesWithSystemConverter) {
    for (unsigned b = 0; b < 256; ++b) {
        if (b == 0x98) continue;
        EXPECT_EQ(Cp1251ToUnicode(static_cast<std::uint8_t>(b)),
                  IconvCp1251(static_cast<unsigned char>(b)))
            << "byte " << std::hex << b;
    }
}

TEST(Cp1251, everyByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::u16string text = DecodeCp1251(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(text[0x98], u'\u0098');
    EXPECT_EQ(EncodeCp1251(text), all);
    EXPECT_EQ(TryEncodeCp1251(text).value(), all);
}

TEST(Cp1251, unitsOutsideTheCodePageAreRefused) {
    for (char16_t u : {u'\u00E9', u'\u4E2D', char16_t(0xD83D), u'\u0500', u'\uFFFD', u'\u2200'})
        EXPECT_EQ(UnicodeToCp1251(u), -1) << static_cast<int>(u);
    EXPECT_EQ(EncodeCp1251(u"a\u00E9b"), "a?b");
    EXPECT_FALSE(TryEncodeCp1251(u"a\u00E9b").has_value());
    EXPECT_EQ(UnicodeToCp1251(u'\u2116'), 0xB9);  // numero sign, the highest unit held
    EXPECT_EQ(UnicodeToCp1251(u'я'), 0xFF);
}

struct KindCase {
    unsigned byte;
    CharClass kind;
};

// "byteC0": the byte in hex, for the case's test name.
std::string ByteName(unsigned byte) {
    char name[8];
    std::snprintf(name, sizeof name, "byte%02X", byte);
    return name;
}

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << ByteName(c.byte);
}

class ByteKind : public testing::TestWithParam<KindCase> {};

TEST_P(ByteKind, classifiesByTheTable) {
    EXPECT_EQ(ClassifyChar(static_cast<std::uint8_t>(GetParam().byte)), GetParam().kind)
        << std::hex << GetParam().byte;
    // A unit classifies as its Windows-1251 byte.
    EXPECT_EQ(ClassifyChar(Cp1251ToUnicode(static_cast<std::uint8_t>(GetParam().byte))),
              GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ByteKind,
    testing::Values(
        KindCase{0xC0, kRussianLetter}, KindCase{0xDF, kRussianLetter},
        KindCase{0xE0, kRussianLetter}, KindCase{0xFF, kRussianLetter}, KindCase{'A', kLatinLetter},
        KindCase{'Z', kLatinLetter}, KindCase{'a', kLatinLetter}, KindCase{'z', kLatinLetter},
        KindCase{'@', kOtherChar}, KindCase{'[', kOtherChar}, KindCase{'`', kOtherChar},
        KindCase{'{', kOtherChar}, KindCase{' ', kSeparator}, KindCase{',', kSeparator},
        KindCase{'\n', kSeparator}, KindCase{'\r', kSeparator}, KindCase{'.', kSentenceStop},
        KindCase{'!', kSentenceStop}, KindCase{'?', kSentenceStop}, KindCase{':', kSentenceStop},
        KindCase{';', kSentenceStop}, KindCase{'(', kSentenceStop}, KindCase{')', kSentenceStop},
        KindCase{'0', kOtherChar}, KindCase{'9', kOtherChar}, KindCase{'\t', kOtherChar},
        KindCase{'-', kOtherChar}, KindCase{'\'', kOtherChar}, KindCase{'"', kOtherChar},
        KindCase{0x00, kOtherChar}, KindCase{0x80, kOtherChar}, KindCase{0xA8, kRussianLetter},
        KindCase{0xB8, kRussianLetter}, KindCase{0xA7, kOtherChar}, KindCase{0xBF, kOtherChar}, KindCase{0x98, kOtherChar}),
    [](const testing::TestParamInfo<KindCase>& info) { return ByteName(info.param.byte); });

TEST(CharKindOfUnit, yoAndAccentedLatinAreLettersOtherUnitsOutsideTheCodePageAreNot) {
    EXPECT_EQ(ClassifyChar(u'Ё'), kRussianLetter);
    EXPECT_EQ(ClassifyChar(u'ё'), kRussianLetter);
    EXPECT_EQ(ClassifyChar(u'ж'), kRussianLetter);
    EXPECT_EQ(ClassifyChar(u'é'), kLatinLetter);     // Latin, though not in Windows-1251
    EXPECT_EQ(ClassifyChar(u'\u00D7'), kOtherChar);  // the multiplication sign is no letter
    EXPECT_EQ(ClassifyChar(u'\u0456'), kOtherChar);  // Ukrainian i is 0xB3
    EXPECT_EQ(ClassifyChar(u'\u3002'), kOtherChar);  // ideographic full stop is no stop
    EXPECT_EQ(ClassifyChar(u'\u2029'), kOtherChar);
}

}  // namespace
}  // namespace vernalo
