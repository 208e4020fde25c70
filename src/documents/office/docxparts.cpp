#include "documents/office/docxparts.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "documents/office/officexml.h"

namespace vernalo::office {

namespace {

const QString kWordMain =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kWordStrict = QStringLiteral("http://purl.oclc.org/ooxml/wordprocessingml/main");

W WordTag(QStringView n) {
    static const struct {
        std::u16string_view name;  // sized once, not measured at each element
        W tag;
    } kTable[] = {
        {u"r", W::R},
        {u"t", W::T},
        {u"rPr", W::RPr},
        {u"p", W::P},
        {u"pPr", W::PPr},
        {u"b", W::B},
        {u"i", W::I},
        {u"rStyle", W::RStyle},
        {u"vanish", W::Vanish},
        {u"pStyle", W::PStyle},
        {u"outlineLvl", W::OutlineLvl},
        {u"tab", W::Tab},
        {u"ptab", W::Tab},  // an absolute position tab: a tab all the same
        {u"br", W::Br},
        {u"cr", W::Cr},
        {u"sym", W::Sym},
        {u"noBreakHyphen", W::NoBreakHyphen},
        {u"softHyphen", W::SoftHyphen},
        {u"del", W::Del},
        {u"moveFrom", W::MoveFrom},
        {u"delText", W::DelText},
        {u"delInstrText", W::DelText},
        {u"instrText", W::InstrText},
        {u"tbl", W::Tbl},
        {u"tr", W::Tr},
        {u"tc", W::Tc},
        {u"footnoteReference", W::FootnoteReference},
        {u"endnoteReference", W::EndnoteReference},
        {u"footnoteRef", W::FootnoteRef},
        {u"endnoteRef", W::EndnoteRef},
        {u"footnote", W::Footnote},
        {u"endnote", W::Endnote},
        {u"sdtPr", W::SdtPr},
        {u"style", W::Style},
        {u"name", W::Name},
        {u"basedOn", W::BasedOn},
        {u"numPr", W::NumPr},
        {u"ilvl", W::Ilvl},
        {u"numId", W::NumId},
        {u"abstractNum", W::AbstractNum},
        {u"abstractNumId", W::AbstractNumId},
        {u"num", W::Num},
        {u"lvl", W::Lvl},
        {u"start", W::Start},
        {u"numFmt", W::NumFmt},
        {u"lvlText", W::LvlText},
        {u"lvlRestart", W::LvlRestart},
        {u"lvlOverride", W::LvlOverride},
        {u"startOverride", W::StartOverride},
    };
    for (const auto& t : kTable)
        if (n == QStringView(t.name.data(), static_cast<qsizetype>(t.name.size()))) return t.tag;
    return W::Other;
}

// Symbol font characters (F020..F0FF or 20..FF) as Unicode: the Adobe Symbol encoding,
// 0 for the pieces of large brackets and what has no character of its own.
char16_t SymbolFontChar(unsigned c) {
    static constexpr char16_t kLow[] = {
        // 0x20..0x3F
        u' ', u'!', u'\u2200', u'#', u'\u2203', u'%', u'&', u'\u220B', u'(', u')', u'\u2217', u'+',
        u',', u'\u2212', u'.', u'/', u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9',
        u':', u';', u'<', u'=', u'>', u'?',
        // 0x40..0x5F
        u'\u2245', u'\u0391', u'\u0392', u'\u03A7', u'\u0394', u'\u0395', u'\u03A6', u'\u0393',
        u'\u0397', u'\u0399', u'\u03D1', u'\u039A', u'\u039B', u'\u039C', u'\u039D', u'\u039F',
        u'\u03A0', u'\u0398', u'\u03A1', u'\u03A3', u'\u03A4', u'\u03A5', u'\u03C2', u'\u03A9',
        u'\u039E', u'\u03A8', u'\u0396', u'[', u'\u2234', u']', u'\u22A5', u'_',
        // 0x60..0x7E
        0, u'\u03B1', u'\u03B2', u'\u03C7', u'\u03B4', u'\u03B5', u'\u03C6', u'\u03B3', u'\u03B7',
        u'\u03B9', u'\u03D5', u'\u03BA', u'\u03BB', u'\u03BC', u'\u03BD', u'\u03BF', u'\u03C0',
        u'\u03B8', u'\u03C1', u'\u03C3', u'\u03C4', u'\u03C5', u'\u03D6', u'\u03C9', u'\u03BE',
        u'\u03C8', u'\u03B6', u'{', u'|', u'}', u'\u223C'};
    static constexpr char16_t kHigh[] = {
        // 0xA0..0xBF
        u'\u20AC', u'\u03D2', u'\u2032', u'\u2264', u'\u2044', u'\u221E', u'\u0192', u'\u2663',
        u'\u2666', u'\u2665', u'\u2660', u'\u2194', u'\u2190', u'\u2191', u'\u2192', u'\u2193',
        u'\u00B0', u'\u00B1', u'\u2033', u'\u2265', u'\u00D7', u'\u221D', u'\u2202', u'\u2022',
        u'\u00F7', u'\u2260', u'\u2261', u'\u2248', u'\u2026', 0, 0, u'\u21B5',
        // 0xC0..0xDF
        u'\u2135', u'\u2111', u'\u211C', u'\u2118', u'\u2297', u'\u2295', u'\u2205', u'\u2229',
        u'\u222A', u'\u2283', u'\u2287', u'\u2284', u'\u2282', u'\u2286', u'\u2208', u'\u2209',
        u'\u2220', u'\u2207', u'\u00AE', u'\u00A9', u'\u2122', u'\u220F', u'\u221A', u'\u22C5',
        u'\u00AC', u'\u2227', u'\u2228', u'\u21D4', u'\u21D0', u'\u21D1', u'\u21D2', u'\u21D3',
        // 0xE0..0xFF
        u'\u25CA', u'\u2329', u'\u00AE', u'\u00A9', u'\u2122', u'\u2211', 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, u'\u232A', u'\u222B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    c &= 0xFF;
    if (c >= 0x20 && c <= 0x7E) return kLow[c - 0x20];
    if (c >= 0xA0) return kHigh[c - 0xA0];
    return 0;
}

}  // namespace

W WordTagOf(const XmlElement& r) {
    const QStringView ns = r.namespaceUri();
    if (ns != kWordMain && ns != kWordStrict) return W::Other;
    return WordTag(r.name());
}

// ST_OnOff: absent or "1", "true", "on" switch on; "0", "false", "off" switch off.
bool OnOff(XmlAttributes a) {
    const QStringView v = Attr(a, u"val");
    return !(v == u"0" || v == u"false" || v == u"off" || v == u"none");
}

// A heading level from an outline level (0 is the top one, 9 body text): 1..6, or 0.
int LevelOfOutline(QStringView val) {
    bool ok = false;
    const int n = val.toInt(&ok);
    if (!ok || n < 0 || n >= 9) return 0;
    return std::min(n + 1, 6);
}

bool DocxStyles::read(const std::string& bytes, const std::string& part, std::string& error) {
    QString id, type;
    DocxStyle style;
    bool isDefault = false;
    return WalkWordPart(
        bytes, part, error,
        [&](W tag, W parent, XmlAttributes a) {
            if (tag == W::Style) {
                id = Attr(a, u"styleId").toString();
                type = Attr(a, u"type").toString();
                const QStringView def = Attr(a, u"default");
                isDefault = def == u"1" || def == u"true" || def == u"on";
                style = DocxStyle{};
            } else if (tag == W::Name && parent == W::Style) {
                const QString name = Attr(a, u"val").toString().toLower();
                if (name.startsWith(u"heading ") && name.size() == 9 && name[8] >= u'1' &&
                    name[8] <= u'9')
                    style.level = std::min(name[8].unicode() - u'0', 6);
                else if (name == u"title")
                    style.level = 1;
                else if (name == u"subtitle")
                    style.level = 2;
            } else if (tag == W::BasedOn && parent == W::Style) {
                style.basedOn = Attr(a, u"val").toString();
            } else if (tag == W::OutlineLvl && parent == W::PPr) {
                style.level = LevelOfOutline(Attr(a, u"val"));
            } else if (tag == W::B && parent == W::RPr) {
                style.bold = OnOff(a);
            } else if (tag == W::I && parent == W::RPr) {
                style.italic = OnOff(a);
            } else if (tag == W::NumId && parent == W::NumPr) {
                style.numId = Attr(a, u"val").toString();
            } else if (tag == W::Ilvl && parent == W::NumPr) {
                style.numLevel = Attr(a, u"val").toInt();
            }
        },
        [&](W tag) {
            // Table and numbering styles say nothing about a run's letters.
            if (tag == W::Style && !id.isEmpty() &&
                (type == u"paragraph" || type == u"character")) {
                const bool paragraph = type == u"paragraph";
                styles_.insert((paragraph ? u'p' : u'c') + id, style);
                if (paragraph && isDefault) defaultParagraph_ = id;
            }
        });
}

// The text of w:sym: a Symbol font character as its Unicode one; a character of another
// symbol font (Wingdings...) has none and is dropped.
QString SymText(XmlAttributes a) {
    bool ok = false;
    const unsigned c = Attr(a, u"char").toUInt(&ok, 16);
    if (!ok || c == 0 || c > 0xFFFF) return {};
    const bool symbolRange = (c >= 0xF000 && c <= 0xF0FF) || c <= 0xFF;
    if (Attr(a, u"font").compare(u"Symbol", Qt::CaseInsensitive) == 0 && symbolRange) {
        const char16_t u = SymbolFontChar(c);
        return u ? QString(QChar(u)) : QString();
    }
    if (c >= 0xE000 && c <= 0xF8FF) return {};  // private use: a font's own picture
    return QString(QChar(static_cast<char16_t>(c)));
}

}  // namespace vernalo::office
