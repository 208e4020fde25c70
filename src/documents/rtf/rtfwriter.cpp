#include "documents/rtf/rtfwriter.h"

#include <algorithm>

#include <map>
#include <vector>

#include "text/codepage.h"

namespace vernalo {
namespace {

void AppendInt(std::string& out, long long v) {
    out += std::to_string(v);
}

void AppendHex(std::string& out, unsigned b) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\'";
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
}

void AppendUnicode(std::string& out, char16_t u) {
    out += "\\u";
    AppendInt(out, static_cast<std::int16_t>(u));  // the format's parameters are signed 16-bit
    out.push_back('?');
}

void AppendText(std::string& out, std::u16string_view text) {
    for (char16_t u : text) {
        if (u >= 0x20 && u < 0x7F) {
            if (u == '\\' || u == '{' || u == '}') out.push_back('\\');
            out.push_back(static_cast<char>(u));
            continue;
        }
        switch (u) {
            case u'\t':
                out += "\\tab ";
                continue;
            case u'\u2028':
                out += "\\line ";
                continue;
            case u'\u00A0':
                out += "\\~";
                continue;
            case u'\u00AD':
                out += "\\-";
                continue;
            case u'\u2011':
                out += "\\_";
                continue;
            default:
                break;
        }
        int b = u >= 0x80 ? UnicodeToCp1251(u) : -1;
        if (b >= 0x80 && b != 0x98) {
            AppendHex(out, static_cast<unsigned>(b));
        } else {
            AppendUnicode(out, u);
        }
    }
}

// A font name as its table entry holds it: the ';' that would end the entry escaped.
void AppendFontName(std::string& out, std::u16string_view name) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != u';') continue;
        AppendText(out, name.substr(start, i - start));
        if (i < name.size()) out += "\\'3b";
        start = i + 1;
    }
}

// The numbers the tables give fonts and colours. \f0 is the default font and colour 0
// the automatic one, so both count from 1.
struct Numbering {
    std::vector<int> fontNumber;  // by RichDocument::fonts index; -1 for an unused font
    std::vector<int> usedFonts;   // the RichDocument::fonts index of \f1, \f2 ...
    std::map<std::int32_t, int> colourIndex;
    std::vector<std::int32_t> colours;  // 0xRRGGBB of colours 1, 2 ...
    std::size_t textSize = 0;           // UTF-16 units in all runs, to size the output
};

// Number only the fonts and colours that runs use, in order of first use.
Numbering NumberFontsAndColours(const RichDocument& doc) {
    Numbering n;
    n.fontNumber.assign(doc.fonts.size(), -1);
    auto colour = [&](std::int32_t rgb) {
        if (rgb < 0) return;
        if (n.colourIndex.emplace(rgb, static_cast<int>(n.colours.size()) + 1).second)
            n.colours.push_back(rgb);
    };
    doc.forEach([](const RichDocument::ParagraphView&) {},
                [&](const RichDocument::RunView& run) {
                    n.textSize += run.text.size();
                    int f = run.format.font;
                    if (f >= 0 && static_cast<std::size_t>(f) < n.fontNumber.size() &&
                        n.fontNumber[f] < 0) {
                        n.fontNumber[f] = static_cast<int>(n.usedFonts.size()) + 1;
                        n.usedFonts.push_back(f);
                    }
                    colour(run.format.color);
                    colour(run.format.background);
                });
    return n;
}

// Everything before the first paragraph: the document settings and both tables.
void AppendHeader(std::string& out, const RichDocument& doc, const Numbering& numbering,
                  std::u16string_view defaultFont) {
    out += "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset204 ";
    AppendFontName(out, defaultFont);
    out += ";}";
    for (std::size_t i = 0; i < numbering.usedFonts.size(); ++i) {
        out += "{\\f";
        AppendInt(out, static_cast<long long>(i) + 1);
        out += "\\fnil\\fcharset204 ";
        AppendFontName(out, doc.fonts[static_cast<std::size_t>(numbering.usedFonts[i])]);
        out += ";}";
    }
    out += "}\r\n{\\colortbl;";
    for (std::int32_t rgb : numbering.colours) {
        out += "\\red";
        AppendInt(out, rgb >> 16 & 0xFF);
        out += "\\green";
        AppendInt(out, rgb >> 8 & 0xFF);
        out += "\\blue";
        AppendInt(out, rgb & 0xFF);
        out.push_back(';');
    }
    out += "}\r\n";
}

void AppendParaFormat(std::string& out, const ParagraphFormat& pf) {
    out += "\\pard";
    switch (pf.align) {
        case Alignment::Left:
            out += "\\ql";
            break;
        case Alignment::Center:
            out += "\\qc";
            break;
        case Alignment::Right:
            out += "\\qr";
            break;
        case Alignment::Justify:
            out += "\\qj";
            break;
    }
    if (pf.leftIndent) out += "\\li", AppendInt(out, pf.leftIndent);
    if (pf.rightIndent) out += "\\ri", AppendInt(out, pf.rightIndent);
    if (pf.firstIndent) out += "\\fi", AppendInt(out, pf.firstIndent);
}

// A run as a group of its own, so that its format ends with it.
void AppendRun(std::string& out, const RichDocument::RunView& run, const Numbering& numbering) {
    const CharFormat& cf = run.format;
    out += "{";
    std::size_t mark = out.size();
    if (cf.font >= 0 && static_cast<std::size_t>(cf.font) < numbering.fontNumber.size())
        out += "\\f", AppendInt(out, numbering.fontNumber[static_cast<std::size_t>(cf.font)]);
    if (cf.halfPoints > 0) out += "\\fs", AppendInt(out, cf.halfPoints);
    if (cf.bold) out += "\\b";
    if (cf.italic) out += "\\i";
    if (cf.underline) out += "\\ul";
    if (cf.strike) out += "\\strike";
    if (cf.color >= 0) out += "\\cf", AppendInt(out, numbering.colourIndex.at(cf.color));
    if (cf.background >= 0)
        out += "\\highlight", AppendInt(out, numbering.colourIndex.at(cf.background));
    if (out.size() != mark) out.push_back(' ');
    AppendText(out, run.text);
    out += "}";
}

}  // namespace

std::string WriteRtf(const RichDocument& doc, std::u16string_view defaultFont) {
    const Numbering numbering = NumberFontsAndColours(doc);
    std::string out;
    out.reserve(numbering.textSize * 2 + doc.paragraphCount() * 16 + 256);
    AppendHeader(out, doc, numbering, defaultFont);
    bool first = true;
    // A heading's paragraph carries its outline level (0 the top), which the reader takes back.
    std::size_t heading = 0;
    const auto& headings = doc.headings;
    doc.forEach(
        [&](const RichDocument::ParagraphView& para) {
            if (!first) out += "\\par\r\n";
            first = false;
            AppendParaFormat(out, para.format);
            while (heading < headings.size() && headings[heading].position < para.textStart)
                ++heading;
            if (heading < headings.size() && headings[heading].position == para.textStart) {
                out += "\\outlinelevel";
                AppendInt(out, std::clamp(headings[heading].level, 1, 9) - 1);
            }
        },
        [&](const RichDocument::RunView& run) { AppendRun(out, run, numbering); });
    if (!first) out += "\\par\r\n";
    out += "}\r\n";
    return out;
}

}  // namespace vernalo
