// Writing then reading gives back the same document, whatever its characters and formats.

#include <gtest/gtest.h>

#include <random>

#include "documents/rtf/rtfreader.h"
#include "documents/rtf/rtfwriter.h"

namespace vernalo {
namespace {

// Adjacent runs of one format are one run to the reader; fonts are compared by name.
std::vector<std::vector<std::pair<CharFormat, std::u16string>>> Canonical(const RichDocument& d) {
    std::vector<std::vector<std::pair<CharFormat, std::u16string>>> out;
    for (const Paragraph& p : d.paragraphs()) {
        auto& runs = out.emplace_back();
        for (const TextRun& r : p.runs) {
            if (r.text.empty()) continue;
            CharFormat f = r.format;
            f.font = f.font < 0 ? -1
                                : static_cast<int>(std::hash<std::u16string>()(
                                                       d.fonts[static_cast<std::size_t>(f.font)]) &
                                                   0x7FFFFFFF);
            if (!runs.empty() && runs.back().first == f) {
                runs.back().second += r.text;
            } else {
                runs.emplace_back(f, r.text);
            }
        }
    }
    return out;
}

TEST(RtfWriter, randomDocumentsSurviveWriteThenRead) {
    std::mt19937 rng(7);
    const std::u16string pool =
        u"Hello Привет ёЁЂ№€ {}\\;\t\u2028\u00A0\u00AD\u2011日本\u0098\u0001";
    const std::vector<std::u16string> fonts = {u"Arial", u"Times New Roman", u"Шрифт;1", u"DejaVu"};
    for (int round = 0; round < 300; ++round) {
        RichDocument doc;
        doc.fonts = fonts;
        int paragraphs = 1 + static_cast<int>(rng() % 5);
        for (int p = 0; p < paragraphs; ++p) {
            Paragraph para;
            para.format.align = static_cast<Alignment>(rng() % 4);
            para.format.leftIndent = static_cast<int>(rng() % 3) * 360;
            para.format.rightIndent = static_cast<int>(rng() % 2) * 180;
            para.format.firstIndent = static_cast<int>(rng() % 3) * 240 - 240;
            int runs = static_cast<int>(rng() % 4);
            for (int r = 0; r < runs; ++r) {
                TextRun run;
                run.format.font = static_cast<int>(rng() % 5) - 1;
                run.format.halfPoints = rng() % 2 ? 0 : 16 + static_cast<int>(rng() % 40);
                run.format.color = rng() % 2 ? -1 : static_cast<std::int32_t>(rng() & 0xFFFFFF);
                run.format.background =
                    rng() % 3 ? -1 : static_cast<std::int32_t>(rng() & 0xFFFFFF);
                run.format.bold = rng() % 2;
                run.format.italic = rng() % 2;
                run.format.underline = rng() % 2;
                run.format.strike = rng() % 2;
                int len = static_cast<int>(rng() % 12);
                for (int i = 0; i < len; ++i) {
                    if (rng() % 10 == 0) {  // a character outside the Basic Multilingual Plane
                        run.text += u"\U0001F600";
                    } else {
                        run.text.push_back(pool[rng() % pool.size()]);
                    }
                }
                para.runs.push_back(std::move(run));
            }
            doc.addParagraph(para);
        }
        std::string rtf = WriteRtf(doc);
        RichDocument back = ReadRtf(rtf);
        const std::vector<Paragraph> want = doc.paragraphs(), got = back.paragraphs();
        ASSERT_EQ(got.size(), want.size()) << rtf;
        for (std::size_t i = 0; i < want.size(); ++i)
            ASSERT_EQ(got[i].format, want[i].format) << rtf;
        ASSERT_EQ(Canonical(back), Canonical(doc)) << rtf;
    }
}

TEST(RtfWriter, writesACompleteDocumentWithTablesOfUsedFontsAndColours) {
    RichDocument doc;
    doc.fonts = {u"Unused", u"Courier New"};
    TextRun run{{}, u"x"};
    run.format.font = 1;
    run.format.color = 0x102030;
    doc.addParagraph({{Alignment::Center, 0, 0, 0}, {run}});
    EXPECT_EQ(WriteRtf(doc, u"Editor Font"),
              "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset204 Editor "
              "Font;}{\\f1\\fnil\\fcharset204 Courier New;}}\r\n"
              "{\\colortbl;\\red16\\green32\\blue48;}\r\n"
              "\\pard\\qc{\\f1\\cf1 x}\\par\r\n}\r\n");
}

}  // namespace
}  // namespace vernalo
