#include "text/textcodec.h"

#include <gtest/gtest.h>

namespace vernalo {
namespace {

using namespace std::string_literals;

TEST(DetectEncoding, byteOrderMarkDecides) {
    std::size_t bom = 9;
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBFhi", &bom), TextEncoding::Utf8Bom);
    EXPECT_EQ(bom, 3u);
    EXPECT_EQ(DetectEncoding("\xFF\xFEh\0"s, &bom), TextEncoding::Utf16LE);
    EXPECT_EQ(bom, 2u);
    EXPECT_EQ(DetectEncoding("\xFE\xFF\0h"s, &bom), TextEncoding::Utf16BE);
    // A mark wins even when what follows is not valid in it.
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF\xCF\xF0"), TextEncoding::Utf8Bom);
}

TEST(DetectEncoding, validUtf8ElseWindows1251) {
    EXPECT_EQ(DetectEncoding(""), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("plain ascii"), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("\xD0\xBF\xD1\x80\xD0\xB8"), TextEncoding::Utf8);  // при
    EXPECT_EQ(DetectEncoding("\xEF\xF0\xE8"), TextEncoding::Cp1251);            // при
    EXPECT_EQ(DetectEncoding("\xC0\x80"), TextEncoding::Cp1251);                // overlong
    EXPECT_EQ(DetectEncoding("\xED\xA0\x80"), TextEncoding::Cp1251);            // surrogate
    EXPECT_EQ(DetectEncoding("\xF4\x90\x80\x80"), TextEncoding::Cp1251);        // > U+10FFFF
    EXPECT_EQ(DetectEncoding("abcdefghij\xD0"), TextEncoding::Cp1251);          // cut off
    EXPECT_EQ(DetectEncoding("\xF0\x9F\x98\x80 ok"), TextEncoding::Utf8);
}

TEST(DecodeTextFile, everyLineBreakBecomesOneUnit) {
    EXPECT_EQ(DecodeTextFile("a\r\nb\nc\rd\r\r\ne\n\r").text, u"a\nb\nc\nd\n\ne\n\n");
    EXPECT_EQ(DecodeTextFile("\xEF\xF0\xE8\r\n").text, u"при\n");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBFx").text, u"x");  // the mark is not text
    EXPECT_EQ(DecodeTextFile("\xFF\xFE\x3F\x04\r\0\n\0"s).text, u"п\n");
    EXPECT_EQ(DecodeTextFile("\xFE\xFF\x04\x3F\0\r"s).text, u"п\n");
    EXPECT_EQ(DecodeTextFile("\xFF\xFEx\0y"s).text, u"x\uFFFD");  // odd byte kept visible
}

TEST(Utf, conversionsRoundTripOutsideTheBasicPlane) {
    std::u16string text = u"a\u00E9я\U0001F600z";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
}

}  // namespace
}  // namespace vernalo
