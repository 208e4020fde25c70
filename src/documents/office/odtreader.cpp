#include "documents/office/officereader.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "documents/books/ziparchive.h"
#include "documents/office/listlabels.h"
#include "documents/office/officexml.h"

namespace vernalo {

using namespace office;

namespace {

// The most spaces one ODT text:s stands for: a hostile c="2000000000" writes no more.
constexpr int kMaxSpaces = 1024;

const QString kOdfText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kOdfTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kOdfOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kOdfStyle = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString kOdfSvg = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");

struct OdtStyle {
    QString parent;
    std::optional<bool> bold, italic;
    std::optional<QString> listStyle;  // of a paragraph style: the list style of its items
};

// One level of a list style: a bullet, or a number with what stands around it.
struct OdtListLevel {
    bool bullet = false;
    NumberFormat format = NumberFormat::Decimal;
    bool repeatLetters = false;
    QString prefix, suffix;
    int start = 1;
    int shownLevels = 1;  // "1.2.": the numbers of the levels above shown too
};
using OdtListStyle = std::array<OdtListLevel, ListCounters::kLevels>;

NumberFormat OdtFormatOf(QStringView name) {
    if (name.isEmpty()) return NumberFormat::None;
    if (name == u"a") return NumberFormat::LowerLetter;
    if (name == u"A") return NumberFormat::UpperLetter;
    if (name == u"i") return NumberFormat::LowerRoman;
    if (name == u"I") return NumberFormat::UpperRoman;
    return NumberFormat::Decimal;
}

int OdtInt(QStringView value, int otherwise) {
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? n : otherwise;
}

// Styles by family and name, from styles.xml and from content.xml's automatic styles.
class OdtStyles {
public:
    // Called for each element of either part; takes what describes a style.
    void element(const XmlElement& r) {
        const QStringView ns = r.namespaceUri();
        if (ns == kOdfText) listElement(r);
        if (ns != kOdfStyle) return;
        const auto a = r.attributes();
        if (r.name() == u"style") {
            current_ = key(Attr(a, u"family"), Attr(a, u"name"));
            if (current_.isEmpty()) return;
            OdtStyle& s = styles_[current_];
            s.parent = key(Attr(a, u"family"), Attr(a, u"parent-style-name"));
            if (HasAttr(a, u"list-style-name"))
                s.listStyle = Attr(a, u"list-style-name").toString();
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
    void elementEnd(const XmlElement& r) {
        if (r.namespaceUri() == kOdfStyle && r.name() == u"style") current_.clear();
        if (r.namespaceUri() == kOdfText && r.name() == u"list-style") currentList_.clear();
    }

    std::optional<bool> bold(QStringView family, QStringView name) const {
        return find(key(family, name), &OdtStyle::bold);
    }
    std::optional<bool> italic(QStringView family, QStringView name) const {
        return find(key(family, name), &OdtStyle::italic);
    }
    // The list style a paragraph style gives its items; empty for none.
    QString paragraphListStyle(QStringView name) const {
        return find(key(u"paragraph", name), &OdtStyle::listStyle).value_or(QString());
    }
    const OdtListStyle* listStyle(const QString& name) const {
        const auto it = lists_.constFind(name);
        return it == lists_.constEnd() ? nullptr : &*it;
    }

private:
    void listElement(const XmlElement& r) {
        const auto a = r.attributes();
        const QStringView n = r.name();
        if (n == u"list-style") {
            currentList_ = Attr(a, u"name").toString();
            if (!currentList_.isEmpty()) lists_.insert(currentList_, {});
            return;
        }
        const bool number = n == u"list-level-style-number";
        if (currentList_.isEmpty() ||
            !(number || n == u"list-level-style-bullet" || n == u"list-level-style-image"))
            return;
        const int level = OdtInt(Attr(a, u"level"), 1);
        if (level < 1 || level > ListCounters::kLevels) return;
        OdtListLevel& l = lists_[currentList_][static_cast<std::size_t>(level - 1)];
        l = OdtListLevel{};
        l.bullet = !number;
        l.format = OdtFormatOf(Attr(a, u"num-format"));
        l.repeatLetters = Attr(a, u"num-letter-sync") == u"true";
        l.prefix = Attr(a, u"num-prefix").toString();
        l.suffix = Attr(a, u"num-suffix").toString();
        l.start = OdtInt(Attr(a, u"start-value"), 1);
        l.shownLevels = std::clamp(OdtInt(Attr(a, u"display-levels"), 1), 1, level);
    }

    static QString key(QStringView family, QStringView name) {
        if (name.isEmpty()) return {};
        return family.toString() + u'/' + name.toString();
    }
    template <class T>
    std::optional<T> find(QString key, std::optional<T> OdtStyle::*field) const {
        for (int step = 0; step < 16 && !key.isEmpty(); ++step) {
            const auto it = styles_.constFind(key);
            if (it == styles_.constEnd()) break;
            if ((*it).*field) return (*it).*field;
            key = it->parent;
        }
        return std::nullopt;
    }

    QHash<QString, OdtStyle> styles_;
    QHash<QString, OdtListStyle> lists_;
    QString current_, currentList_;
};

class OdtText {
public:
    OdtText(Target& body, Target& notes, OdtStyles& styles)
        : notes_(notes), styles_(styles), t_(&body) {}

    bool read(const std::string& bytes, std::string& error) {
        return WalkPart(
            bytes, "content.xml", error, [this](const XmlElement& r) { return start(r); },
            [this](const XmlElement& r) { end(r); }, [this](QStringView text) { chars(text); });
    }

private:
    enum Kind {
        kOther,
        kPara,
        kSpan,
        kList,
        kItem,
        kTable,
        kRow,
        kCell,
        kNote,
        kCitation,
        kNoteBody
    };
    // An open list item: its level (0 the outermost) and whether it has its label yet.
    struct Item {
        int level = 0;
        std::optional<int> start;  // counting starts again here
        bool numbered = true;      // a list header has no number
        bool labelled = false;
    };
    struct Frame {
        Kind kind;
        Target* target;  // the target when the element started, and its state then
        bool bold = false, italic = false;
        int heading = 0;
    };

    // The number of a note starts its text at the end.
    void prefix() {
        if (t_ == &notes_ && !notePrefix_.isEmpty()) {
            notes_.out.text(notePrefix_);
            notes_.out.text(u" ");
            notePrefix_.clear();
        }
    }
    bool inParagraph() const { return paras_ > 0; }

    void setStyle(QStringView family, QStringView name) {
        if (name.isEmpty()) return;
        if (const auto b = styles_.bold(family, name)) t_->setBold(*b);
        if (const auto i = styles_.italic(family, name)) t_->setItalic(*i);
    }

    bool start(const XmlElement& r) {
        const QStringView ns = r.namespaceUri();
        const QStringView n = r.name();
        styles_.element(r);
        Frame f{kOther, t_, t_->bold, t_->italic, t_->heading};
        if (ns == kOdfText) {
            if (n == u"p" || n == u"h") {
                f.kind = kPara;
                t_->paragraphStart();
                ++paras_;
                const auto a = r.attributes();
                if (n == u"h") {
                    bool ok = false;
                    const int level = Attr(a, u"outline-level").toInt(&ok);
                    t_->setHeading(ok ? std::clamp(level, 1, 6) : 1);
                    if (!t_->inCell() && t_ != &notes_)
                        t_->out.beginHeading(ok ? std::clamp(level, 1, 10) : 1);
                }
                setStyle(u"paragraph", Attr(a, u"style-name"));
                if (!frames_.empty() && frames_.back().kind == kItem) label(Attr(a, u"style-name"));
            } else if (n == u"span") {
                f.kind = kSpan;
                setStyle(u"text", Attr(r.attributes(), u"style-name"));
            } else if (n == u"s") {
                if (inParagraph()) {
                    bool ok = false;
                    int c = Attr(r.attributes(), u"c").toInt(&ok);
                    c = ok ? std::clamp(c, 1, kMaxSpaces) : 1;
                    prefix();
                    t_->out.keptText(QString(c, u' '));
                }
            } else if (n == u"tab") {
                if (inParagraph()) {
                    prefix();
                    t_->out.tab();
                }
            } else if (n == u"line-break") {
                if (inParagraph()) t_->out.lineBreak();
            } else if (n == u"list") {
                f.kind = kList;
                if (!t_->inCell()) t_->out.endBlock();
                listStart(r.attributes());
            } else if (n == u"list-item" || n == u"list-header") {
                f.kind = kItem;
                if (!t_->inCell()) t_->out.endBlock();
                const QStringView start = Attr(r.attributes(), u"start-value");
                Item item;
                item.level = std::max(listDepth_ - 1, 0);
                if (!start.isEmpty()) item.start = OdtInt(start, 1);
                item.numbered = n == u"list-item";
                items_.push_back(item);
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
                notes_.out.endBlock();
            } else if (n == u"tracked-changes" || n.endsWith(u"-source")) {
                // Deleted text kept for the record; the templates of an index.
                return false;
            }
        } else if (ns == kOdfTable) {
            if (n == u"table") {
                f.kind = kTable;
                if (!t_->inCell()) t_->out.endBlock();
            } else if (n == u"table-row") {
                f.kind = kRow;
                t_->rowStart();
            } else if (n == u"table-cell" || n == u"covered-table-cell") {
                f.kind = kCell;
                t_->cellStart();
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

    void end(const XmlElement& r) {
        styles_.elementEnd(r);
        if (frames_.empty()) return;
        const Frame f = frames_.back();
        frames_.pop_back();
        switch (f.kind) {
            case kPara:
                --paras_;
                t_->paragraphEnd();
                if (!t_->inCell()) t_->out.endHeading();
                [[fallthrough]];
            case kSpan:
                t_->setBold(f.bold);
                t_->setItalic(f.italic);
                t_->setHeading(f.heading);
                break;
            case kList:
                listEnd();
                [[fallthrough]];
            case kItem:
                if (f.kind == kItem && !items_.empty()) items_.pop_back();
                [[fallthrough]];
            case kTable:
                if (!t_->inCell()) t_->out.endBlock();
                break;
            case kRow:
                t_->rowEnd();
                break;
            case kCell:
                t_->cellEnd();
                break;
            case kCitation:
                inCitation_ = false;
                t_->out.text(u'[' + citation_.trimmed() + u']');
                break;
            case kNoteBody:
                notes_.out.endBlock();
                notePrefix_.clear();
                t_ = f.target;
                break;
            default:
                break;
        }
    }

    void chars(QStringView text) {
        if (inCitation_) {
            citation_ += text;
            return;
        }
        if (!inParagraph()) return;
        prefix();
        t_->out.text(text);
    }

    // A list, unless nested in another, counts from the start, or on from the list it
    // continues.
    void listStart(XmlAttributes a) {
        if (listDepth_++ > 0) {
            if (list_.style.isEmpty()) list_.style = Attr(a, u"style-name").toString();
            return;
        }
        const QString continues = Attr(a, u"continue-list").toString();
        ListCounters counters;
        if (!continues.isEmpty() && listsById_.contains(continues))
            counters = listsById_.value(continues);
        else if (Attr(a, u"continue-numbering") == u"true")
            counters = last_.counters;
        list_ = {Attr(a, u"style-name").toString(), Attr(a, u"id").toString(), counters};
    }
    void listEnd() {
        if (--listDepth_ > 0) return;
        listDepth_ = 0;
        last_ = list_;
        if (!list_.id.isEmpty()) listsById_.insert(list_.id, list_.counters);
    }

    // The first paragraph of a list item counts it and starts with its label.
    void label(QStringView paragraphStyle) {
        if (items_.empty() || items_.back().labelled) return;
        Item& item = items_.back();
        item.labelled = true;
        if (!item.numbered) return;
        const QString styleName =
            list_.style.isEmpty() ? styles_.paragraphListStyle(paragraphStyle) : list_.style;
        const OdtListStyle* style = styles_.listStyle(styleName);
        const OdtListStyle plain{};
        const OdtListStyle& levels = style ? *style : plain;
        const int level = std::min(item.level, ListCounters::kLevels - 1);
        auto at = [&](int l) -> const OdtListLevel& { return levels[static_cast<std::size_t>(l)]; };
        if (item.start) list_.counters.reset(level);
        list_.counters.count(level, item.start.value_or(at(level).start));
        for (int deeper = level + 1; deeper < ListCounters::kLevels; ++deeper)
            list_.counters.reset(deeper);
        if (!style) return;
        QString label;
        if (at(level).bullet) {
            label = QChar(kBullet);
        } else if (at(level).format != NumberFormat::None) {
            for (int l = std::max(level - at(level).shownLevels + 1, 0); l <= level; ++l) {
                if (!label.isEmpty()) label += u'.';
                label += FormatNumber(list_.counters.value(l, at(l).start), at(l).format,
                                      at(l).repeatLetters);
            }
        }
        if (!at(level).bullet) label = at(level).prefix + label + at(level).suffix;
        label = label.trimmed();
        if (label.isEmpty()) return;
        prefix();
        t_->out.keptText(label + u' ');
    }

    struct List {
        QString style, id;
        ListCounters counters;
    };

    Target& notes_;
    OdtStyles& styles_;
    Target* t_;
    std::vector<Frame> frames_;
    std::vector<Item> items_;
    int listDepth_ = 0;
    List list_, last_;
    QHash<QString, ListCounters> listsById_;
    int paras_ = 0;
    bool inCitation_ = false;
    QString citation_, notePrefix_;
};

}  // namespace

ReadResult ReadOdtBytes(std::string_view bytes) {
    std::string error;
    auto zip = ZipArchive::open(bytes, error);
    if (!zip) return Fail(error);
    std::string part;
    // A password-protected document keeps its parts encrypted and says so in the
    // manifest.
    if (zip->contains("META-INF/manifest.xml")) {
        if (!zip->read("META-INF/manifest.xml", part, error)) return Fail(error);
        if (part.find("encryption-data") != std::string::npos)
            return Fail("it is password-protected");
    }
    if (!zip->contains("content.xml")) return Fail("content.xml is missing");

    OdtStyles styles;
    if (zip->contains("styles.xml")) {
        if (!zip->read("styles.xml", part, error)) return Fail(error);
        if (!WalkPart(
                part, "styles.xml", error,
                [&](const XmlElement& r) {
                    styles.element(r);
                    return true;
                },
                [&](const XmlElement& r) { styles.elementEnd(r); }, [](QStringView) {}))
            return Fail(error);
    }
    if (!zip->read("content.xml", part, error)) return Fail(error);
    Target body, notes;
    if (!OdtText(body, notes, styles).read(part, error)) return Fail(error);
    std::string().swap(part);
    body.out.append(notes.out.take());
    return Done(body.out);
}

}  // namespace vernalo
