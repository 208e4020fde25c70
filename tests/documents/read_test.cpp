// The one road every file takes: the formats in their order, plain text last.

#include "documents/read.h"

#include <gtest/gtest.h>

#include <string>

#include "text/textcodec.h"

namespace vernalo {
namespace {

std::u16string PlainTextOf(std::string_view bytes) {
    ReadResult r = ReadDocument(bytes, u"a.txt");
    EXPECT_TRUE(r.ok) << r.error;
    return r.document.plainText();
}

TEST(ReadDocument, plainTextIsDecodedWithOneParagraphPerLine) {
    // Windows-1251 (not valid UTF-8), then UTF-8, then a UTF-16 file with its mark.
    EXPECT_EQ(Utf16ToUtf8(PlainTextOf("\xCF\xF0\xE8\r\n\r\nx\r")), "При\n\nx\n");
    EXPECT_EQ(ReadDocument("Привет\nmir", u"a.txt").document.paragraphCount(), 2u);
    EXPECT_EQ(Utf16ToUtf8(PlainTextOf(std::string("\xFF\xFE\x41\x00\x1F\x04", 6))), "AП");
    // Markup that is not at the start is text.
    EXPECT_EQ(Utf16ToUtf8(PlainTextOf("see {\\rtf1 x}")), "see {\\rtf1 x}");
}

TEST(ReadDocument, richTextWhateverTheName) {
    const ReadResult r = ReadDocument("{\\rtf1 {\\b bold}}", u"notes.txt");
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.plainText);
    EXPECT_EQ(r.description, "rich text (RTF)");
    EXPECT_EQ(r.document.text(), u"bold");
}

}  // namespace
}  // namespace vernalo
