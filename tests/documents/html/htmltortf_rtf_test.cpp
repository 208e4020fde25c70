// What the editor shows of a converted page: the converter's result read back as rich text.

#include <gtest/gtest.h>

#include <string>

#include "documents/html/htmltortf.h"
#include "documents/rtf/rtfreader.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

RichDocument Shown(const std::u16string& html) {
    const std::string rtf = HtmlToRtf(WithCrLf(html));
    EXPECT_TRUE(IsRtf(rtf));
    return ReadRtf(rtf);
}

TEST(HtmlToRtfReadBack, markupCharactersAndForeignLettersReachTheEditorAsWritten) {
    const RichDocument doc = Shown(u"<p>a\\b {c} d ✓ Привет 😀</p>\n");
    EXPECT_NE(doc.plainText().find(u"a\\b {c} d ✓ Привет 😀"), std::u16string::npos)
        << Utf16ToUtf8(doc.plainText());
}

TEST(HtmlToRtfReadBack, headingIsBoldAndItalicRunIsItalic) {
    const RichDocument doc = Shown(u"<h1>Big</h1><p>x <i>slanted</i> y</p>\n");
    bool boldBig = false, italicSlanted = false, plainY = false;
    for (const Paragraph& p : doc.paragraphs()) {
        for (const TextRun& r : p.runs) {
            if (r.text.find(u"Big") != std::u16string::npos) boldBig = r.format.bold;
            if (r.text.find(u"slanted") != std::u16string::npos) italicSlanted = r.format.italic;
            if (r.text.find(u"y") != std::u16string::npos)
                plainY = !r.format.italic && !r.format.bold;
        }
    }
    EXPECT_TRUE(boldBig);
    EXPECT_TRUE(italicSlanted);
    EXPECT_TRUE(plainY);
}

TEST(HtmlToRtfReadBack, listItemsShareALineAndTitleAndScriptDisappear) {
    const RichDocument doc = Shown(
        u"<html><head><title>Hidden</title><script>var s = '<b>';</script></head>\n"
        u"<body><ul><li>one</li><li>two</li></ul></body></html>\n");
    const std::u16string text = doc.plainText();
    EXPECT_EQ(text.find(u"Hidden"), std::u16string::npos);
    EXPECT_EQ(text.find(u"var"), std::u16string::npos);
    EXPECT_NE(text.find(u" -  one -  two"), std::u16string::npos) << Utf16ToUtf8(text);
}

}  // namespace
}  // namespace vernalo
