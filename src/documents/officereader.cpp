#include "documents/officereader.h"

#include <QBuffer>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "documents/xmltext.h"
#include "documents/ziparchive.h"

namespace vernalo {

namespace {

// Deeper than real documents nest (tables in tables in text boxes stay far below); a
// hostile part stops here instead of growing the stacks without bound.
constexpr int kMaxDepth = 512;
// The most spaces one ODT text:s stands for: a hostile c="2000000000" writes no more.
constexpr int kMaxSpaces = 1024;

BookResult Fail(std::string error) {
    BookResult r;
    r.error = std::move(error);
    return r;
}

BookResult Done(BookBuilder& out) {
    BookResult r;
    r.ok = true;
    r.document = out.Take();
    return r;
}

// The value of the first attribute with this local name, whatever its prefix.
QStringView Attr(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name) return a.value();
    return {};
}

bool HasAttr(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name) return true;
    return false;
}

// Walks one XML part of a package: no entity is declared, nesting is capped, errors name
// the part. `start` returns false to skip the element with all it holds; `end` is called
// for each element `start` let in, `chars` for text outside skipped elements.
template <class Start, class End, class Chars>
bool WalkPart(const std::string& bytes, const std::string& part, std::string& error, Start&& start,
              End&& end, Chars&& chars) {
    const QByteArray xml = XmlAsUnicode(bytes);
    // Through a buffer device, so that the reader decodes a block at a time instead of
    // holding the whole part as UTF-16 besides the text it yields.
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    QXmlStreamReader r(&buffer);
    r.setNamespaceProcessing(true);
    r.setEntityExpansionLimit(0);
    int depth = 0, skip = 0;
    while (!r.atEnd()) {
        switch (r.readNext()) {
            case QXmlStreamReader::DTD:
                if (!r.entityDeclarations().isEmpty()) {
                    error = part + ": the XML declares entities, which are not allowed";
                    return false;
                }
                break;
            case QXmlStreamReader::StartElement:
                if (++depth > kMaxDepth) {
                    error = part + ": the XML is nested too deeply";
                    return false;
                }
                if (skip > 0 || !start(r)) ++skip;
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                if (skip > 0) {
                    --skip;
                } else {
                    end(r);
                }
                break;
            case QXmlStreamReader::Characters:
                if (skip == 0) chars(r.text());
                break;
            default:
                break;
        }
    }
    if (r.hasError()) {
        error = part + ": malformed XML at line " + std::to_string(r.lineNumber()) + ": " +
                r.errorString().toStdString();
        return false;
    }
    return true;
}

// A builder with the bold and italic state it was last set to, so that an element can set
// either outright and put it back at its end (BookBuilder itself counts nesting).
struct Target {
    BookBuilder out;
    bool bold = false;
    bool italic = false;
    int heading = 0;
    // Per open table row, the cells so far; per open cell, its paragraphs so far.
    std::vector<int> rows;
    std::vector<int> cellParas;

    void SetBold(bool on) {
        if (on != bold) out.Bold(on);
        bold = on;
    }
    void SetItalic(bool on) {
        if (on != italic) out.Italic(on);
        italic = on;
    }
    void SetHeading(int level) {
        if (level != heading) out.Heading(level);
        heading = level;
    }
    bool InCell() const { return !cellParas.empty(); }
    // A paragraph starts: its own block, or in a table cell a space after the cell's
    // paragraph before, so that the row stays one line.
    void ParagraphStart() {
        if (!InCell()) {
            out.EndBlock();
        } else if (cellParas.back()++ > 0) {
            out.Text(u" ");
        }
    }
    void ParagraphEnd() {
        if (!InCell()) out.EndBlock();
    }
    void RowStart() {
        out.EndBlock();
        rows.push_back(0);
    }
    void RowEnd() {
        if (!rows.empty()) rows.pop_back();
        out.EndBlock();
    }
    void CellStart() {
        if (!rows.empty() && rows.back()++ > 0) out.Tab();
        cellParas.push_back(0);
    }
    void CellEnd() {
        if (!cellParas.empty()) cellParas.pop_back();
    }
};

// ---------------------------------------------------------------- DOCX

const QString kWordMain =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kWordStrict = QStringLiteral("http://purl.oclc.org/ooxml/wordprocessingml/main");
const QString kMarkupCompat =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
const QString kOfficeMath =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/math");

enum class W {
    Other,
    R,
    T,
    RPr,
    P,
    PPr,
    B,
    I,
    RStyle,
    Vanish,
    PStyle,
    OutlineLvl,
    Tab,
    Br,
    Cr,
    Sym,
    NoBreakHyphen,
    SoftHyphen,
    Del,
    MoveFrom,
    DelText,
    InstrText,
    Tbl,
    Tr,
    Tc,
    FootnoteReference,
    EndnoteReference,
    FootnoteRef,
    EndnoteRef,
    Footnote,
    Endnote,
    SdtPr,
    Style,
    Name,
    BasedOn,
};

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
    };
    for (const auto& t : kTable)
        if (n == QStringView(t.name.data(), static_cast<qsizetype>(t.name.size()))) return t.tag;
    return W::Other;
}

W WordTagOf(const QXmlStreamReader& r) {
    const QStringView ns = r.namespaceUri();
    if (ns != kWordMain && ns != kWordStrict) return W::Other;
    return WordTag(r.name());
}

// ST_OnOff: absent or "1", "true", "on" switch on; "0", "false", "off" switch off.
bool OnOff(const QXmlStreamAttributes& a) {
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

struct DocxStyle {
    QString basedOn;
    std::optional<int> level;
    std::optional<bool> bold, italic;
};

struct DocxFormat {
    int level = 0;
    bool bold = false, italic = false;
};

class DocxStyles {
public:
    // Reads word/styles.xml; a missing part leaves every style plain.
    bool Read(const std::string& bytes, const std::string& part, std::string& error) {
        std::vector<W> stack;
        QString id, type;
        DocxStyle style;
        bool isDefault = false;
        return WalkPart(
            bytes, part, error,
            [&](QXmlStreamReader& r) {
                const W tag = WordTagOf(r);
                const W parent = stack.empty() ? W::Other : stack.back();
                const auto a = r.attributes();
                stack.push_back(tag);
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
                }
                return true;
            },
            [&](QXmlStreamReader&) {
                // Table and numbering styles say nothing about a run's letters.
                if (!stack.empty() && stack.back() == W::Style && !id.isEmpty() &&
                    (type == u"paragraph" || type == u"character")) {
                    const bool paragraph = type == u"paragraph";
                    styles_.insert((paragraph ? u'p' : u'c') + id, style);
                    if (paragraph && isDefault) defaultParagraph_ = id;
                }
                if (!stack.empty()) stack.pop_back();
            },
            [](QStringView) {});
    }

    DocxFormat Paragraph(const QString& id) {
        return Resolve(u'p', id.isEmpty() ? defaultParagraph_ : id);
    }
    DocxFormat Character(const QString& id) { return Resolve(u'c', id); }
    // Whether a character style sets bold or italic itself (or through its bases).
    std::optional<bool> CharacterBold(const QString& id) {
        return Find(u'c', id, &DocxStyle::bold);
    }
    std::optional<bool> CharacterItalic(const QString& id) {
        return Find(u'c', id, &DocxStyle::italic);
    }

private:
    template <class T>
    std::optional<T> Find(char16_t family, QString id, std::optional<T> DocxStyle::*field) {
        // A chain of bases longer than this is a loop or a hostile file.
        for (int step = 0; step < 16 && !id.isEmpty(); ++step) {
            const auto it = styles_.constFind(family + id);
            if (it == styles_.constEnd()) break;
            if ((*it).*field) return (*it).*field;
            id = it->basedOn;
        }
        return std::nullopt;
    }
    DocxFormat Resolve(char16_t family, const QString& id) {
        if (id.isEmpty()) return {};
        const QString key = family + id;
        if (const auto it = cache_.constFind(key); it != cache_.constEnd()) return *it;
        DocxFormat f;
        f.level = Find(family, id, &DocxStyle::level).value_or(0);
        f.bold = Find(family, id, &DocxStyle::bold).value_or(false);
        f.italic = Find(family, id, &DocxStyle::italic).value_or(false);
        cache_.insert(key, f);
        return f;
    }

    QHash<QString, DocxStyle> styles_;
    QHash<QString, DocxFormat> cache_;
    QString defaultParagraph_;
};

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

// The text of w:sym: a Symbol font character as its Unicode one; a character of another
// symbol font (Wingdings...) has none and is dropped.
QString SymText(const QXmlStreamAttributes& a) {
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

// The numbers of the notes the text refers to, by their ids, in the order referred to.
struct NoteNumbers {
    QHash<QString, int> footnotes, endnotes;
    int lastFootnote = 0, lastEndnote = 0;
};

// Reads the body of word/document.xml, or of the notes parts, into one target.
class DocxText {
public:
    DocxText(Target& out, DocxStyles& styles, NoteNumbers& notes)
        : t_(out), styles_(styles), notes_(notes) {}

    bool Read(const std::string& bytes, const std::string& part, std::string& error) {
        return WalkPart(
            bytes, part, error, [this](QXmlStreamReader& r) { return Start(r); },
            [this](QXmlStreamReader&) { End(); }, [this](QStringView text) { Chars(text); });
    }

private:
    struct Frame {
        W tag;
        bool bold = false, italic = false;  // the target's state when the element started
        int heading = 0;
        bool hidden = false;  // a run whose properties hide it
    };
    struct Para {
        QString style;
        std::optional<int> outline;
        bool applied = false;
    };
    struct Run {
        std::optional<bool> bold, italic;
        QString style;
        bool vanish = false;
    };

    W Parent() const { return frames_.empty() ? W::Other : frames_.back().tag; }
    W GrandParent() const {
        return frames_.size() < 2 ? W::Other : frames_[frames_.size() - 2].tag;
    }

    // The paragraph's style takes effect before its first character.
    void ApplyParagraph() {
        if (paras_.empty() || paras_.back().applied) return;
        Para& p = paras_.back();
        p.applied = true;
        const DocxFormat f = styles_.Paragraph(p.style);
        const int level = p.outline ? *p.outline : f.level;
        if (level > 0) t_.SetHeading(level);
        t_.SetBold(f.bold);
        t_.SetItalic(f.italic);
    }
    bool Emitting() {
        if (hidden_ > 0) return false;
        ApplyParagraph();
        return true;
    }
    void Emit(const QString& text) {
        if (!text.isEmpty() && Emitting()) t_.out.KeptText(text);
    }
    void NoteMark(int number) {
        if (number > 0) Emit(u'[' + QString::number(number) + u']');
    }

    bool Start(QXmlStreamReader& r) {
        const QStringView ns = r.namespaceUri();
        // Markup compatibility: the choice is read, its fallback (the same text again
        // for older programs) is not.
        if (ns == kMarkupCompat && r.name() == u"Fallback") return false;
        W tag = WordTagOf(r);
        // The text of an equation (m:r/m:t) is read like a run's.
        const bool mathText = tag == W::Other && ns == kOfficeMath && r.name() == u"t";
        if (mathText) tag = W::T;
        const W parent = Parent();
        Frame f{tag, t_.bold, t_.italic, t_.heading};
        switch (tag) {
            case W::Del:
            case W::MoveFrom:
            case W::DelText:
            case W::InstrText:
            case W::SdtPr:
                return false;
            case W::Footnote:
            case W::Endnote: {
                const QStringView type = Attr(r.attributes(), u"type");
                if (!type.isEmpty() && type != u"normal") return false;  // separators
                const auto& ids = tag == W::Footnote ? notes_.footnotes : notes_.endnotes;
                const auto it = ids.constFind(Attr(r.attributes(), u"id").toString());
                if (it == ids.constEnd()) return false;  // referred to nowhere (deleted)
                note_ = *it;
                t_.out.EndBlock();
                break;
            }
            case W::P:
                t_.ParagraphStart();
                paras_.push_back({});
                break;
            case W::PStyle:
                if (parent == W::PPr && !paras_.empty())
                    paras_.back().style = Attr(r.attributes(), u"val").toString();
                break;
            case W::OutlineLvl:
                if (parent == W::PPr && !paras_.empty())
                    paras_.back().outline = LevelOfOutline(Attr(r.attributes(), u"val"));
                break;
            case W::R:
                // The paragraph's format first: the run puts back what it found.
                ApplyParagraph();
                f.bold = t_.bold;
                f.italic = t_.italic;
                f.heading = t_.heading;
                runs_.push_back({});
                break;
            case W::B:
            case W::I:
            case W::RStyle:
            case W::Vanish:
                if (parent == W::RPr && GrandParent() == W::R && !runs_.empty()) {
                    Run& run = runs_.back();
                    const auto a = r.attributes();
                    if (tag == W::B) run.bold = OnOff(a);
                    if (tag == W::I) run.italic = OnOff(a);
                    if (tag == W::RStyle) run.style = Attr(a, u"val").toString();
                    if (tag == W::Vanish) run.vanish = OnOff(a);
                }
                break;
            case W::T:
                inText_ = parent == W::R || mathText;
                break;
            case W::Tab:
                if (parent == W::R && Emitting()) t_.out.Tab();
                break;
            case W::Br:
            case W::Cr:
                if (parent == W::R && Emitting()) t_.out.LineBreak();
                break;
            case W::Sym:
                if (parent == W::R) Emit(SymText(r.attributes()));
                break;
            case W::NoBreakHyphen:
                if (parent == W::R) Emit(QStringLiteral("\u2011"));
                break;
            case W::SoftHyphen:
                if (parent == W::R) Emit(QStringLiteral("\u00AD"));
                break;
            case W::FootnoteReference:
            case W::EndnoteReference: {
                const auto a = r.attributes();
                if (HasAttr(a, u"customMarkFollows") && Attr(a, u"customMarkFollows") != u"0" &&
                    Attr(a, u"customMarkFollows") != u"false") {
                    // The mark is the run's own text; the note gets no number.
                    (tag == W::FootnoteReference ? notes_.footnotes : notes_.endnotes)
                        .insert(Attr(a, u"id").toString(), 0);
                    break;
                }
                const bool foot = tag == W::FootnoteReference;
                const int n = foot ? ++notes_.lastFootnote : ++notes_.lastEndnote;
                (foot ? notes_.footnotes : notes_.endnotes).insert(Attr(a, u"id").toString(), n);
                NoteMark(n);
                break;
            }
            case W::FootnoteRef:
            case W::EndnoteRef:
                NoteMark(note_);
                break;
            case W::Tbl:
                if (!t_.InCell()) t_.out.EndBlock();
                break;
            case W::Tr:
                t_.RowStart();
                break;
            case W::Tc:
                t_.CellStart();
                break;
            default:
                break;
        }
        frames_.push_back(f);
        return true;
    }

    void End() {
        if (frames_.empty()) return;
        Frame f = frames_.back();
        frames_.pop_back();
        switch (f.tag) {
            case W::PPr:
                ApplyParagraph();
                break;
            case W::RPr:
                if (Parent() == W::R && !runs_.empty()) {
                    // The run's own setting, else its character style's, else the
                    // paragraph's.
                    const Run& run = runs_.back();
                    ApplyParagraph();
                    const auto bold = run.bold ? run.bold : styles_.CharacterBold(run.style);
                    const auto italic =
                        run.italic ? run.italic : styles_.CharacterItalic(run.style);
                    if (bold) t_.SetBold(*bold);
                    if (italic) t_.SetItalic(*italic);
                    if (run.vanish && !frames_.empty() && !frames_.back().hidden) {
                        frames_.back().hidden = true;
                        ++hidden_;
                    }
                }
                break;
            case W::R:
                if (f.hidden) --hidden_;
                if (!runs_.empty()) runs_.pop_back();
                t_.SetBold(f.bold);
                t_.SetItalic(f.italic);
                break;
            case W::T:
                inText_ = false;
                break;
            case W::P:
                if (!paras_.empty()) paras_.pop_back();
                t_.ParagraphEnd();
                t_.SetBold(f.bold);
                t_.SetItalic(f.italic);
                t_.SetHeading(f.heading);
                break;
            case W::Tr:
                t_.RowEnd();
                break;
            case W::Tc:
                t_.CellEnd();
                break;
            case W::Tbl:
                if (!t_.InCell()) t_.out.EndBlock();
                break;
            case W::Footnote:
            case W::Endnote:
                t_.out.EndBlock();
                note_ = 0;
                break;
            default:
                break;
        }
    }

    void Chars(QStringView text) {
        if (inText_ && Emitting()) t_.out.KeptText(text);
    }

    Target& t_;
    DocxStyles& styles_;
    NoteNumbers& notes_;
    std::vector<Frame> frames_;
    std::vector<Para> paras_;
    std::vector<Run> runs_;
    int hidden_ = 0;
    bool inText_ = false;
    int note_ = 0;
};

// "/word/document.xml" or "./word/document.xml" as a member name.
std::string MemberName(QStringView target) {
    QString t = target.toString();
    while (t.startsWith(u'/') || t.startsWith(QStringLiteral("./")))
        t.remove(0, t.startsWith(u'/') ? 1 : 2);
    return QByteArray::fromPercentEncoding(t.toUtf8()).toStdString();
}

bool IsOleCompoundFile(std::string_view bytes) {
    return bytes.size() >= 8 &&
           bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

// A stream name of an OLE compound file, as its directory holds it (UTF-16LE).
bool HoldsStreamName(std::string_view bytes, std::string_view name) {
    std::string utf16;
    for (const char c : name) {
        utf16 += c;
        utf16 += '\0';
    }
    return bytes.find(utf16) != std::string_view::npos;
}

}  // namespace

BookResult ReadDocxBytes(std::string_view bytes) {
    if (IsOleCompoundFile(bytes)) {
        // Word keeps a password-protected document in an OLE compound file that holds
        // the encrypted zip; an OLE file without one is an old binary Word document.
        if (HoldsStreamName(bytes, "EncryptedPackage") || HoldsStreamName(bytes, "EncryptionInfo"))
            return Fail("it is password-protected");
        return Fail("this is a binary Word document (.doc), not DOCX");
    }
    std::string error;
    auto zip = ZipArchive::Open(bytes, error);
    if (!zip) return Fail(error);

    // The main part is named by the package's relationships; Word always calls it
    // word/document.xml.
    std::string main;
    if (zip->Contains("_rels/.rels")) {
        std::string rels;
        if (!zip->Read("_rels/.rels", rels, error)) return Fail(error);
        if (!WalkPart(
                rels, "_rels/.rels", error,
                [&](QXmlStreamReader& r) {
                    const auto a = r.attributes();
                    if (main.empty() && r.name() == u"Relationship" &&
                        Attr(a, u"Type").endsWith(u"/officeDocument"))
                        main = MemberName(Attr(a, u"Target"));
                    return true;
                },
                [](QXmlStreamReader&) {}, [](QStringView) {}))
            return Fail(error);
    }
    if (main.empty() || !zip->Contains(main)) main = "word/document.xml";
    if (!zip->Contains(main)) return Fail(main + " is missing");
    const std::string folder =
        main.find('/') == std::string::npos ? "" : main.substr(0, main.rfind('/') + 1);

    DocxStyles styles;
    std::string part;
    if (zip->Contains(folder + "styles.xml")) {
        if (!zip->Read(folder + "styles.xml", part, error)) return Fail(error);
        if (!styles.Read(part, folder + "styles.xml", error)) return Fail(error);
    }

    Target out;
    NoteNumbers notes;
    if (!zip->Read(main, part, error)) return Fail(error);
    if (!DocxText(out, styles, notes).Read(part, main, error)) return Fail(error);
    std::string().swap(part);
    out.out.EndBlock();
    // Footnotes, then endnotes, each in the order the text refers to them.
    for (const char* notesPart : {"footnotes.xml", "endnotes.xml"}) {
        const std::string name = folder + notesPart;
        if (!zip->Contains(name)) continue;
        if (!zip->Read(name, part, error)) return Fail(error);
        Target notesOut;
        if (!DocxText(notesOut, styles, notes).Read(part, name, error)) return Fail(error);
        out.out.Append(notesOut.out.Take());
    }
    return Done(out.out);
}

// ---------------------------------------------------------------- ODT

namespace {

const QString kOdfText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kOdfTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kOdfOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kOdfStyle = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString kOdfSvg = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");

struct OdtStyle {
    QString parent;
    std::optional<bool> bold, italic;
};

// Styles by family and name, from styles.xml and from content.xml's automatic styles.
class OdtStyles {
public:
    // Called for each element of either part; takes what describes a style.
    void Element(QXmlStreamReader& r) {
        const QStringView ns = r.namespaceUri();
        if (ns != kOdfStyle) return;
        const auto a = r.attributes();
        if (r.name() == u"style") {
            current_ = Key(Attr(a, u"family"), Attr(a, u"name"));
            if (current_.isEmpty()) return;
            styles_[current_].parent = Key(Attr(a, u"family"), Attr(a, u"parent-style-name"));
        } else if (r.name() == u"text-properties" && !current_.isEmpty()) {
            OdtStyle& s = styles_[current_];
            const QStringView weight = Attr(a, u"font-weight");
            if (!weight.isEmpty()) {
                bool numeric = false;
                const int w = weight.toInt(&numeric);
                s.bold = numeric ? w >= 600 : weight == u"bold";
            }
            const QStringView style = Attr(a, u"font-style");
            if (!style.isEmpty()) s.italic = style == u"italic" || style == u"oblique";
        }
    }
    void ElementEnd(QXmlStreamReader& r) {
        if (r.namespaceUri() == kOdfStyle && r.name() == u"style") current_.clear();
    }

    std::optional<bool> Bold(QStringView family, QStringView name) const {
        return Find(Key(family, name), &OdtStyle::bold);
    }
    std::optional<bool> Italic(QStringView family, QStringView name) const {
        return Find(Key(family, name), &OdtStyle::italic);
    }

private:
    static QString Key(QStringView family, QStringView name) {
        if (name.isEmpty()) return {};
        return family.toString() + u'/' + name.toString();
    }
    std::optional<bool> Find(QString key, std::optional<bool> OdtStyle::*field) const {
        for (int step = 0; step < 16 && !key.isEmpty(); ++step) {
            const auto it = styles_.constFind(key);
            if (it == styles_.constEnd()) break;
            if ((*it).*field) return (*it).*field;
            key = it->parent;
        }
        return std::nullopt;
    }

    QHash<QString, OdtStyle> styles_;
    QString current_;
};

class OdtText {
public:
    OdtText(Target& body, Target& notes, OdtStyles& styles)
        : notes_(notes), styles_(styles), t_(&body) {}

    bool Read(const std::string& bytes, std::string& error) {
        return WalkPart(
            bytes, "content.xml", error, [this](QXmlStreamReader& r) { return Start(r); },
            [this](QXmlStreamReader& r) { End(r); }, [this](QStringView text) { Chars(text); });
    }

private:
    enum Kind { kOther, kPara, kSpan, kList, kTable, kRow, kCell, kNote, kCitation, kNoteBody };
    struct Frame {
        Kind kind;
        Target* target;  // the target when the element started, and its state then
        bool bold = false, italic = false;
        int heading = 0;
    };

    // The number of a note starts its text at the end.
    void Prefix() {
        if (t_ == &notes_ && !notePrefix_.isEmpty()) {
            notes_.out.Text(notePrefix_);
            notes_.out.Text(u" ");
            notePrefix_.clear();
        }
    }
    bool InParagraph() const { return paras_ > 0; }

    void SetStyle(QStringView family, QStringView name) {
        if (name.isEmpty()) return;
        if (const auto b = styles_.Bold(family, name)) t_->SetBold(*b);
        if (const auto i = styles_.Italic(family, name)) t_->SetItalic(*i);
    }

    bool Start(QXmlStreamReader& r) {
        const QStringView ns = r.namespaceUri();
        const QStringView n = r.name();
        styles_.Element(r);
        Frame f{kOther, t_, t_->bold, t_->italic, t_->heading};
        if (ns == kOdfText) {
            if (n == u"p" || n == u"h") {
                f.kind = kPara;
                t_->ParagraphStart();
                ++paras_;
                const auto a = r.attributes();
                if (n == u"h") {
                    bool ok = false;
                    const int level = Attr(a, u"outline-level").toInt(&ok);
                    t_->SetHeading(ok ? std::clamp(level, 1, 6) : 1);
                }
                SetStyle(u"paragraph", Attr(a, u"style-name"));
            } else if (n == u"span") {
                f.kind = kSpan;
                SetStyle(u"text", Attr(r.attributes(), u"style-name"));
            } else if (n == u"s") {
                if (InParagraph()) {
                    bool ok = false;
                    int c = Attr(r.attributes(), u"c").toInt(&ok);
                    c = ok ? std::clamp(c, 1, kMaxSpaces) : 1;
                    Prefix();
                    t_->out.KeptText(QString(c, u' '));
                }
            } else if (n == u"tab") {
                if (InParagraph()) {
                    Prefix();
                    t_->out.Tab();
                }
            } else if (n == u"line-break") {
                if (InParagraph()) t_->out.LineBreak();
            } else if (n == u"list" || n == u"list-item" || n == u"list-header") {
                f.kind = kList;
                if (!t_->InCell()) t_->out.EndBlock();
            } else if (n == u"note") {
                f.kind = kNote;
            } else if (n == u"note-citation") {
                f.kind = kCitation;
                citation_.clear();
                inCitation_ = true;
            } else if (n == u"note-body") {
                f.kind = kNoteBody;
                notePrefix_ = u'[' + citation_.trimmed() + u']';
                t_ = &notes_;
                notes_.out.EndBlock();
            } else if (n == u"tracked-changes" || n.endsWith(u"-source")) {
                // Deleted text kept for the record; the templates of an index.
                return false;
            }
        } else if (ns == kOdfTable) {
            if (n == u"table") {
                f.kind = kTable;
                if (!t_->InCell()) t_->out.EndBlock();
            } else if (n == u"table-row") {
                f.kind = kRow;
                t_->RowStart();
            } else if (n == u"table-cell" || n == u"covered-table-cell") {
                f.kind = kCell;
                t_->CellStart();
            }
        } else if (ns == kOdfOffice) {
            if (n == u"annotation" || n == u"annotation-end" || n == u"binary-data" ||
                n == u"forms" || n == u"scripts" || n == u"event-listeners")
                return false;
        } else if (ns == kOdfSvg) {
            if (n == u"title" || n == u"desc") return false;  // a picture's description
        }
        frames_.push_back(f);
        return true;
    }

    void End(QXmlStreamReader& r) {
        styles_.ElementEnd(r);
        if (frames_.empty()) return;
        const Frame f = frames_.back();
        frames_.pop_back();
        switch (f.kind) {
            case kPara:
                --paras_;
                t_->ParagraphEnd();
                [[fallthrough]];
            case kSpan:
                t_->SetBold(f.bold);
                t_->SetItalic(f.italic);
                t_->SetHeading(f.heading);
                break;
            case kList:
            case kTable:
                if (!t_->InCell()) t_->out.EndBlock();
                break;
            case kRow:
                t_->RowEnd();
                break;
            case kCell:
                t_->CellEnd();
                break;
            case kCitation:
                inCitation_ = false;
                t_->out.Text(u'[' + citation_.trimmed() + u']');
                break;
            case kNoteBody:
                notes_.out.EndBlock();
                notePrefix_.clear();
                t_ = f.target;
                break;
            default:
                break;
        }
    }

    void Chars(QStringView text) {
        if (inCitation_) {
            citation_ += text;
            return;
        }
        if (!InParagraph()) return;
        Prefix();
        t_->out.Text(text);
    }

    Target& notes_;
    OdtStyles& styles_;
    Target* t_;
    std::vector<Frame> frames_;
    int paras_ = 0;
    bool inCitation_ = false;
    QString citation_, notePrefix_;
};

}  // namespace

BookResult ReadOdtBytes(std::string_view bytes) {
    std::string error;
    auto zip = ZipArchive::Open(bytes, error);
    if (!zip) return Fail(error);
    std::string part;
    // A password-protected document keeps its parts encrypted and says so in the
    // manifest.
    if (zip->Contains("META-INF/manifest.xml")) {
        if (!zip->Read("META-INF/manifest.xml", part, error)) return Fail(error);
        if (part.find("encryption-data") != std::string::npos)
            return Fail("it is password-protected");
    }
    if (!zip->Contains("content.xml")) return Fail("content.xml is missing");

    OdtStyles styles;
    if (zip->Contains("styles.xml")) {
        if (!zip->Read("styles.xml", part, error)) return Fail(error);
        if (!WalkPart(
                part, "styles.xml", error,
                [&](QXmlStreamReader& r) {
                    styles.Element(r);
                    return true;
                },
                [&](QXmlStreamReader& r) { styles.ElementEnd(r); }, [](QStringView) {}))
            return Fail(error);
    }
    if (!zip->Read("content.xml", part, error)) return Fail(error);
    Target body, notes;
    if (!OdtText(body, notes, styles).Read(part, error)) return Fail(error);
    std::string().swap(part);
    body.out.Append(notes.out.Take());
    return Done(body.out);
}

}  // namespace vernalo
