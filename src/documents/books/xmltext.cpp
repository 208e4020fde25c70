#include "documents/books/xmltext.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <algorithm>
#include <vector>

#include "documents/html/htmlentities.h"
#include "text/codepage.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

// Deeper nesting than real books ever use; a hostile file stops here instead of
// growing the element stack without bound.
constexpr int kMaxDepth = 512;

bool IsXmlSpace(char16_t c) {
    return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t';
}

int HeadingHalfPoints(int level) {
    static constexpr int kSizes[] = {24, 36, 32, 28, 26, 24, 24};
    return kSizes[std::clamp(level, 0, 6)];
}

}  // namespace

CharFormat BookBuilder::format() const {
    CharFormat f;
    f.bold = bold_ > 0 || heading_ > 0;
    f.italic = italic_ > 0;
    if (heading_ > 0) f.halfPoints = HeadingHalfPoints(heading_);
    return f;
}

void BookBuilder::put(char16_t c) {
    const CharFormat f = format();
    if (!(f == pendingFormat_)) {
        flush();
        pendingFormat_ = f;
    }
    if (breakPending_) {
        pending_ += u'\u2028';
        breakPending_ = false;
        if (headingLevel_ > 0) headingTitle_ += u' ';
    }
    pending_ += c;
    hasText_ = true;
    if (headingLevel_ > 0) headingTitle_ += c;
}

void BookBuilder::beginHeading(int level) {
    endBlock();
    endHeading();
    headingLevel_ = level;
    headingPosition_ = doc_.nextTextPosition();
    headingTitle_.clear();
}

void BookBuilder::endHeading() {
    if (headingLevel_ == 0) return;
    doc_.addHeading(headingTitle_, headingLevel_, headingPosition_);
    headingLevel_ = 0;
    headingTitle_.clear();
}

void BookBuilder::text(QStringView text) {
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (IsXmlSpace(c)) {
            space_ = true;
            continue;
        }
        if (space_ && !lineStart_) put(u' ');
        space_ = false;
        lineStart_ = false;
        put(c);
    }
}

void BookBuilder::rawText(QStringView text) {
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\n') {
            lineBreak();
        } else if (c != u'\r') {
            space_ = false;
            lineStart_ = false;
            put(c);
        }
    }
}

void BookBuilder::keptText(QStringView text) {
    if (text.isEmpty()) return;
    if (space_ && !lineStart_) put(u' ');
    space_ = false;
    rawText(text);
}

void BookBuilder::tab() {
    space_ = false;
    lineStart_ = true;  // no space right after the tab
    put(u'\t');
}

void BookBuilder::lineBreak() {
    if (hasText_) breakPending_ = true;
    lineStart_ = true;
    space_ = false;
}

void BookBuilder::endBlock() {
    if (headingLevel_ > 0 && hasText_) headingTitle_ += u' ';
    flush();
    if (hasText_) doc_.endParagraph(ParagraphFormat{});
    hasText_ = false;
    lineStart_ = true;
    space_ = false;
    breakPending_ = false;
}

void BookBuilder::flush() {
    if (pending_.empty()) return;
    doc_.addText(pendingFormat_, pending_);
    pending_.clear();
}

void BookBuilder::append(const RichDocument& other, int maxLevel) {
    if (other.text().empty()) return;
    endBlock();
    const std::size_t base = doc_.nextTextPosition();
    for (const Heading& h : other.headings)
        if (h.level <= maxLevel) doc_.addHeading(h.title, h.level, base + h.position);
    bool any = false;
    other.forEach(
        [&](const RichDocument::ParagraphView&) {
            if (any) doc_.endParagraph(ParagraphFormat{});
            any = true;
        },
        [&](const RichDocument::RunView& run) { doc_.addText(run.format, run.text); });
    if (any) doc_.endParagraph(ParagraphFormat{});
}

RichDocument BookBuilder::take() {
    endBlock();
    endHeading();
    doc_.finish(ParagraphFormat{});
    RichDocument done = std::move(doc_);
    doc_ = RichDocument();
    return done;
}

QByteArray DeclaredEncoding(const QByteArray& xml, qsizetype* declarationEnd) {
    if (!xml.startsWith("<?xml")) return {};
    const qsizetype end = xml.indexOf("?>");
    if (end < 0 || end > 512) return {};
    const QByteArray decl = xml.left(end);
    const qsizetype at = decl.indexOf("encoding");
    if (at < 0) return {};
    qsizetype q = at + 8;
    while (q < decl.size() && (decl[q] == ' ' || decl[q] == '='))
        ++q;
    if (q >= decl.size() || (decl[q] != '"' && decl[q] != '\'')) return {};
    const qsizetype close = decl.indexOf(decl[q], q + 1);
    if (close < 0) return {};
    if (declarationEnd) *declarationEnd = end + 2;
    return decl.mid(q + 1, close - q - 1);
}

QByteArray XmlAsUnicode(const std::string& bytes) {
    const QByteArray raw =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    qsizetype end = 0;
    const QByteArray name = DeclaredEncoding(raw, &end).toLower();
    if (name != "windows-1251" && name != "cp1251" && name != "cp-1251" && name != "x-cp1251")
        return raw;
    const std::string utf8 =
        Utf16ToUtf8(DecodeCp1251(std::string_view(bytes).substr(static_cast<std::size_t>(end))));
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out.append(utf8.data(), static_cast<qsizetype>(utf8.size()));
    return out;
}

std::size_t Utf8CharCount(const QByteArray& utf8) {
    std::size_t n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

namespace {

// What an element does, undone at its end.
enum Effect : unsigned {
    kBlock = 1,
    kBold = 2,
    kItalic = 4,
    kHeading = 8,
    kSkip = 16,
    kPre = 32,
    kRow = 64,
    kCell = 128,
    kLine = 256,     // ends with a line break (a poem's verse)
    kSection = 512,  // FB2: one level deeper
    kNotes = 1024,   // FB2: a notes body
    kTitle = 2048,   // FB2: a title, sized by the section depth
    kSubtitle = 4096,
};

// The loop both walkers share: depth, DTD and entity rules, errors. `start` returns the
// element's effects; the rest is common.
class XmlWalk {
public:
    // Through a buffer device, so that the reader decodes the bytes a block at a time
    // instead of holding the whole document as UTF-16 besides the text it yields.
    explicit XmlWalk(const QByteArray& xml) {
        buffer_.setData(xml);
        buffer_.open(QIODevice::ReadOnly);
        r_.setDevice(&buffer_);
        r_.setNamespaceProcessing(true);
        r_.setEntityExpansionLimit(0);
    }

    template <class Start, class End, class Chars>
    bool run(BookBuilder*& out, std::string& error, Start&& start, End&& end, Chars&& chars) {
        std::vector<unsigned> stack;
        std::vector<int> cells;
        int skip = 0, pre = 0;
        while (!r_.atEnd()) {
            switch (r_.readNext()) {
                case QXmlStreamReader::DTD:
                    if (!r_.entityDeclarations().isEmpty()) {
                        error = "the XML declares entities, which are not allowed";
                        return false;
                    }
                    break;
                case QXmlStreamReader::StartElement: {
                    if (stack.size() >= static_cast<std::size_t>(kMaxDepth)) {
                        error = "the XML is nested too deeply";
                        return false;
                    }
                    const unsigned e = start(r_, skip > 0);
                    if (skip > 0 || (e & kSkip)) {
                        stack.push_back(kSkip);
                        ++skip;
                        break;
                    }
                    stack.push_back(e);
                    if (e & kBlock) out->endBlock();
                    if (e & kRow) cells.push_back(0);
                    if ((e & kCell) && !cells.empty() && cells.back()++ > 0) out->tab();
                    if (e & kBold) out->bold(true);
                    if (e & kItalic) out->italic(true);
                    if (e & kPre) ++pre;
                    break;
                }
                case QXmlStreamReader::EndElement: {
                    if (stack.empty()) break;
                    const unsigned e = stack.back();
                    stack.pop_back();
                    if (e & kSkip) {
                        --skip;
                        end(r_, e);
                        break;
                    }
                    if (e & kPre) --pre;
                    if (e & kItalic) out->italic(false);
                    if (e & kBold) out->bold(false);
                    if ((e & kRow) && !cells.empty()) cells.pop_back();
                    if (e & kLine) out->lineBreak();
                    end(r_, e);
                    if (e & kBlock) out->endBlock();
                    break;
                }
                case QXmlStreamReader::Characters:
                    if (skip > 0) {
                        chars(r_.text());
                    } else if (pre > 0) {
                        out->rawText(r_.text());
                    } else {
                        out->text(r_.text());
                    }
                    break;
                case QXmlStreamReader::EntityReference: {
                    if (skip > 0) break;
                    const char32_t c = HtmlEntityCharacter(r_.name().toUtf8().toStdString());
                    if (c == 0) break;
                    const QString s = QString::fromUcs4(&c, 1);
                    pre > 0 ? out->rawText(s) : out->text(s);
                    break;
                }
                default:
                    break;
            }
        }
        if (r_.hasError()) {
            error = "malformed XML at line " + std::to_string(r_.lineNumber()) + ": " +
                    r_.errorString().toStdString();
            return false;
        }
        return true;
    }

private:
    QBuffer buffer_;
    QXmlStreamReader r_;
};

int HeadingLevel(QStringView n) {
    if (n.size() == 2 && (n[0] == u'h' || n[0] == u'H') && n[1] >= u'1' && n[1] <= u'6')
        return n[1].unicode() - u'0';
    return 0;
}

unsigned XhtmlEffect(QStringView n) {
    static const struct {
        const char16_t* name;
        unsigned effect;
    } kTable[] = {
        {u"p", kBlock},       {u"div", kBlock},        {u"li", kBlock},
        {u"dt", kBlock},      {u"dd", kBlock},         {u"blockquote", kBlock},
        {u"section", kBlock}, {u"article", kBlock},    {u"header", kBlock},
        {u"footer", kBlock},  {u"aside", kBlock},      {u"ul", kBlock},
        {u"ol", kBlock},      {u"dl", kBlock},         {u"table", kBlock},
        {u"figure", kBlock},  {u"figcaption", kBlock}, {u"hr", kBlock},
        {u"body", kBlock},    {u"main", kBlock},       {u"caption", kBlock},
        {u"address", kBlock}, {u"center", kBlock},     {u"tr", kBlock | kRow},
        {u"td", kCell},       {u"th", kCell},          {u"pre", kBlock | kPre},
        {u"b", kBold},        {u"strong", kBold},      {u"i", kItalic},
        {u"em", kItalic},     {u"cite", kItalic},      {u"dfn", kItalic},
        {u"var", kItalic},    {u"head", kSkip},        {u"script", kSkip},
        {u"style", kSkip},    {u"template", kSkip},    {u"svg", kSkip},
        {u"nav", kSkip},
    };
    for (const auto& t : kTable)
        if (n == QStringView(t.name)) return t.effect;
    return 0;
}

bool IsBackLink(const QXmlStreamAttributes& a) {
    const auto has = [&a](QStringView attribute, QStringView word) {
        for (const QXmlStreamAttribute& at : a)
            if (at.name() == attribute && at.value().split(u' ').contains(word)) return true;
        return false;
    };
    return has(u"role", u"doc-backlink") || has(u"type", u"backlink") ||
           has(u"class", u"footnote-back");
}

}  // namespace

bool ReadXhtml(const QByteArray& xml, BookBuilder& out, std::string& error,
               std::map<QString, std::size_t>* anchors) {
    XmlWalk walk(xml);
    BookBuilder* target = &out;
    const auto anchor = [&](QXmlStreamReader& r, bool block) {
        const QStringView id = r.attributes().value(QStringLiteral("id"));
        if (id.isEmpty()) return;
        const auto it = anchors->find(id.toString());
        if (it == anchors->end()) return;
        if (block) out.endBlock();
        it->second = out.position();
    };
    return walk.run(
        target, error,
        [&](QXmlStreamReader& r, bool skipping) -> unsigned {
            if (skipping) return kSkip;
            const QStringView n = r.name();
            if (const int level = HeadingLevel(n)) {
                out.beginHeading(level);
                if (anchors) anchor(r, true);
                out.heading(level);
                return kBlock | kHeading;
            }
            if (anchors && r.attributes().hasAttribute(QStringLiteral("id")))
                anchor(r, XhtmlEffect(n) & kBlock);
            if (n == u"br") {
                out.lineBreak();
                return 0;
            }
            // A note's link back to where it was called ("↩") is no text to read.
            if (n == u"a" && IsBackLink(r.attributes())) return kSkip;
            return XhtmlEffect(n);
        },
        [&](QXmlStreamReader&, unsigned e) {
            if (e & kHeading) {
                out.endBlock();
                out.endHeading();
                out.heading(0);
            }
        },
        [](QStringView) {});
}

bool ReadFb2Xml(const QByteArray& xml, BookBuilder& out, std::string& error) {
    XmlWalk walk(xml);
    BookBuilder notes;
    BookBuilder* target = &out;
    int sectionDepth = 0;
    // The description's title and authors, gathered while it is skipped.
    QString bookTitle, author, authors;
    bool inTitleInfo = false, inDescription = false, wroteHead = false;
    auto writeHead = [&] {
        if (wroteHead) return;
        wroteHead = true;
        if (!bookTitle.trimmed().isEmpty()) {
            out.endBlock();
            out.heading(1);
            out.text(bookTitle);
            out.endBlock();
            out.heading(0);
        }
        if (!authors.trimmed().isEmpty()) {
            out.text(authors);
            out.endBlock();
        }
    };
    QString fieldName;
    const bool ok = walk.run(
        target, error,
        [&](QXmlStreamReader& r, bool skipping) -> unsigned {
            const QStringView n = r.name();
            if (skipping && !inDescription) return kSkip;
            if (inDescription) {
                if (n == u"title-info") inTitleInfo = true;
                if (inTitleInfo) fieldName = n.toString();
                return kSkip;
            }
            if (n == u"description") {
                inDescription = true;
                return kSkip;
            }
            if (n == u"binary" || n == u"image" || n == u"stylesheet") return kSkip;
            if (n == u"body") {
                writeHead();
                const QStringView name = r.attributes().value(QStringLiteral("name"));
                if (name == u"notes" || name == u"comments") {
                    target = &notes;
                    return kBlock | kNotes;
                }
                target = &out;
                return kBlock;
            }
            if (n == u"section") {
                ++sectionDepth;
                return kBlock | kSection;
            }
            if (n == u"title" || n == u"subtitle") {
                const int level = std::min(sectionDepth + (n == u"title" ? 1 : 2), 6);
                // The contents list the sections by depth, and a notes body by its title;
                // the main body's own title is the book's.
                if (n == u"title" && (target == &notes) == (sectionDepth == 0))
                    target->beginHeading(std::max(sectionDepth, 1));
                target->endBlock();
                target->heading(level);
                return kBlock | (n == u"title" ? kTitle : kSubtitle);
            }
            if (n == u"v") return kLine;
            if (n == u"p" || n == u"stanza" || n == u"text-author" || n == u"empty-line" ||
                n == u"cite" || n == u"epigraph" || n == u"poem" || n == u"annotation" ||
                n == u"date" || n == u"table")
                return kBlock;
            if (n == u"tr") return kBlock | kRow;
            if (n == u"td" || n == u"th") return kCell;
            if (n == u"emphasis") return kItalic;
            if (n == u"strong") return kBold;
            if (n == u"code") return 0;
            return 0;
        },
        [&](QXmlStreamReader& r, unsigned e) {
            if (e & (kTitle | kSubtitle)) {
                target->endBlock();
                target->endHeading();
                target->heading(0);
            }
            if (e & kSection) --sectionDepth;
            if (e & kNotes) {
                target->endBlock();
                target = &out;
            }
            if (e == kSkip && inDescription) {
                const QStringView n = r.name();
                if (n == u"description") {
                    inDescription = false;
                    inTitleInfo = false;
                    if (!author.isEmpty()) authors += author;
                } else if (n == u"title-info") {
                    inTitleInfo = false;
                } else if (inTitleInfo && n == u"author") {
                    if (!authors.isEmpty() && !author.isEmpty()) authors += QStringLiteral(", ");
                    authors += author.simplified();
                    author.clear();
                }
                fieldName.clear();
            }
        },
        [&](QStringView text) {
            if (!inTitleInfo) return;
            if (fieldName == u"book-title") {
                bookTitle += text;
            } else if (fieldName == u"first-name" || fieldName == u"middle-name" ||
                       fieldName == u"last-name" || fieldName == u"nickname") {
                if (!author.isEmpty()) author += u' ';
                author += text.trimmed();
            }
        });
    if (!ok) return false;
    writeHead();
    out.append(notes.take(), 1);
    out.setTitle(bookTitle.simplified().toStdU16String());
    return true;
}

}  // namespace vernalo
