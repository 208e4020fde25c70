#include "documents/model/pagelines.h"

#include <algorithm>
#include <cmath>

namespace vernalo {
namespace {

bool IsLowerLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7) ||
           (c >= 0x0430 && c <= 0x045F);
}

bool IsLetter(char16_t c) {
    return IsLowerLetter(c) || (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
           (c >= 0x0400 && c <= 0x042F);
}

bool IsHyphen(char16_t c) {
    return c == u'-' || c == 0x00AD || c == 0x2010;
}

// "Rus-" at a line's end and "sian" on the next line are one word.
bool SplitsWord(std::u16string_view a, std::u16string_view b) {
    return a.size() >= 2 && IsHyphen(a.back()) && IsLetter(a[a.size() - 2]) && !b.empty() &&
           IsLowerLetter(b.front());
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0x00A0 || c == u'\r' || c == u'\n';
}

std::u16string_view Trimmed(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

}  // namespace

LineBox LineBox::united(const LineBox& o) const {
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
}

std::vector<PageLine> MergeLinePieces(std::vector<PageLine> lines) {
    std::erase_if(lines, [](const PageLine& l) { return Trimmed(l.text).empty(); });
    std::vector<PageLine> joined;
    for (PageLine& line : lines) {
        if (!joined.empty()) {
            PageLine& last = joined.back();
            const LineBox& a = last.box;
            const LineBox& b = line.box;
            if (std::abs(a.bottom - b.bottom) < 0.2 * a.height() &&
                std::abs(a.height() - b.height()) < 0.2 * a.height() && b.left >= a.right - 1) {
                last.text += u' ';
                last.text += line.text;
                last.box = a.united(b);
                continue;
            }
        }
        joined.push_back(std::move(line));
    }
    return joined;
}

std::vector<PageParagraph> JoinPageLines(const std::vector<PageLine>& lines) {
    std::vector<PageParagraph> out;
    if (lines.empty()) return out;
    std::vector<double> heights, pitches;
    double right = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineBox& b = lines[i].box;
        heights.push_back(b.height());
        right = std::max(right, b.right);
        if (i == 0) continue;
        const LineBox& a = lines[i - 1].box;
        const double pitch = b.top - a.top;
        if (pitch > 0 && pitch < 3 * a.height() &&
            std::abs(a.height() - b.height()) < 0.2 * a.height())
            pitches.push_back(pitch);
    }
    const double height = Median(heights);
    const double pitch = pitches.empty() ? 1.2 * height : Median(pitches);

    auto breaksBetween = [&](const PageLine& a, const PageLine& b) {
        const LineBox& x = a.box;
        const LineBox& y = b.box;
        if (y.top <= x.top + 0.3 * x.height()) return true;
        if (std::abs(x.height() - y.height()) > 0.2 * std::max(x.height(), y.height())) return true;
        if (y.top - x.top > 1.25 * pitch + 0.5) return true;
        if (y.left > x.left + 0.8 * x.height()) return true;
        const double space = 0.3 * x.height();
        return x.right + space + b.firstWordWidth < right - 1;
    };

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const PageLine& line = lines[i];
        const std::u16string_view text = Trimmed(line.text);
        if (i == 0 ||
            (breaksBetween(lines[i - 1], line) && !SplitsWord(Trimmed(lines[i - 1].text), text))) {
            out.push_back(PageParagraph{std::u16string(text), line.box.height() > 1.3 * height});
            continue;
        }
        std::u16string& joined = out.back().text;
        if (SplitsWord(joined, text))
            joined.pop_back();
        else
            joined += u' ';
        joined += text;
    }
    return out;
}

bool AppendPage(RichDocument& doc, const std::vector<PageParagraph>& page, bool firstPage) {
    if (page.empty()) return false;
    CharFormat body, heading;
    heading.bold = true;
    if (!firstPage) doc.endParagraph(ParagraphFormat{});  // the blank line between pages
    for (const PageParagraph& p : page) {
        doc.addText(p.heading ? heading : body, p.text);
        doc.endParagraph(ParagraphFormat{});
    }
    return true;
}

}  // namespace vernalo
