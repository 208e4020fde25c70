// DOS to Windows recoding of the editor's text.

#include "text/dos2win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "text/codepage.h"

namespace vernalo {
namespace {

std::u16string FromBytes(std::initializer_list<std::uint8_t> bytes) {
    std::u16string s;
    for (std::uint8_t b : bytes)
        s.push_back(Cp1251ToUnicode(b));
    return s;
}

struct ByteCase {
    std::uint8_t dos, once, twice;
};

// "dosA8": the DOS byte in hex, for the case's test name.
std::string ByteName(std::uint8_t dos) {
    char name[8];
    std::snprintf(name, sizeof name, "dos%02X", dos);
    return name;
}

void PrintTo(const ByteCase& c, std::ostream* os) {
    *os << ByteName(c.dos);
}

class DosToWinBytes : public testing::TestWithParam<ByteCase> {};

TEST_P(DosToWinBytes, mapsThroughTheWindows1251Byte) {
    const ByteCase& c = GetParam();
    const std::u16string once = DosToWin(FromBytes({c.dos}));
    EXPECT_EQ(once, FromBytes({c.once}));
    EXPECT_EQ(DosToWin(once), FromBytes({c.twice}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DosToWinBytes,
    testing::Values(
        // Letters: П, п, р, я land at their Windows-1251 codes; a second press moves а-п again.
        ByteCase{0x80, 0xC0, 0xC0}, ByteCase{0x8F, 0xCF, 0xCF}, ByteCase{0x9F, 0xDF, 0xDF},
        ByteCase{0xA0, 0xE0, 0xF0}, ByteCase{0xAF, 0xEF, 0xFF}, ByteCase{0xE0, 0xF0, 0xF0},
        ByteCase{0xEF, 0xFF, 0xFF},
        // Text that was Windows-1251 already is damaged the same way: its Ё (0xA8) is DOS и.
        ByteCase{0xA8, 0xE8, 0xF8},
        // Everything else keeps its value: box drawing, Ё/ё of code page 866, ASCII, breaks.
        ByteCase{0xB0, 0xB0, 0xB0}, ByteCase{0xDF, 0xDF, 0xDF}, ByteCase{0xF0, 0xF0, 0xF0},
        ByteCase{0xF1, 0xF1, 0xF1}, ByteCase{0xFF, 0xFF, 0xFF}, ByteCase{0x41, 0x41, 0x41},
        ByteCase{0x0A, 0x0A, 0x0A}, ByteCase{0x7F, 0x7F, 0x7F}),
    [](const testing::TestParamInfo<ByteCase>& info) { return ByteName(info.param.dos); });

TEST(DosToWin, movesExactlySixtyFourByteValues) {
    int moved = 0;
    for (unsigned b = 0; b < 256; ++b)
        if (DosToWinByte(static_cast<std::uint8_t>(b)) != b) ++moved;
    EXPECT_EQ(moved, 64);
}

TEST(DosToWin, charactersOutsideTheCodePageAndEmptyTextStay) {
    EXPECT_EQ(DosToWin(u""), u"");
    const std::u16string mixed = u"中文 ✓ \U0001F600";
    EXPECT_EQ(DosToWin(mixed), mixed);
}

TEST(DosToWin, inPlaceKeepsLengthAndLineBreaks) {
    std::u16string text = FromBytes({0x8F, 0xE0, 0xA8, 0xE2}) + u"\nline";
    DosToWinInPlace(text);
    EXPECT_EQ(text, u"Прит\nline");  // DOS bytes of П р и т
}

}  // namespace
}  // namespace vernalo
