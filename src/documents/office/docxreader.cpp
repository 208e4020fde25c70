#include "documents/office/officereader.h"

#include <QHash>
#include <optional>
#include <string_view>
#include <vector>

#include "documents/books/ziparchive.h"
#include "documents/office/docxnumbering.h"
#include "documents/office/docxparts.h"
#include "documents/office/officexml.h"

namespace vernalo {

using namespace office;

namespace {

const QString kMarkupCompat =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
const QString kOfficeMath =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/math");

// The numbers of the notes the text refers to, by their ids, in the order referred to.
struct NoteNumbers {
    QHash<QString, int> footnotes, endnotes;
    int lastFootnote = 0, lastEndnote = 0;
};

// Reads the body of word/document.xml, or of the notes parts, into one target.
class DocxText {
public:
    DocxText(Target& out, DocxStyles& styles, DocxNumbering& numbering, NoteNumbers& notes)
        : t_(out), styles_(styles), numbering_(numbering), notes_(notes) {}

    bool read(const std::string& bytes, const std::string& part, std::string& error) {
        return WalkPart(
            bytes, part, error, [this](const XmlElement& r) { return start(r); },
            [this](const XmlElement&) { end(); }, [this](QStringView text) { chars(text); });
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
        std::optional<QString> numId;
        std::optional<int> numLevel;
        bool applied = false;
    };
    struct Run {
        std::optional<bool> bold, italic;
        QString style;
        bool vanish = false;
    };

    W parentTag() const { return frames_.empty() ? W::Other : frames_.back().tag; }
    W grandParentTag() const {
        return frames_.size() < 2 ? W::Other : frames_[frames_.size() - 2].tag;
    }
    // In w:p/w:pPr/w:numPr itself, not in the old properties of a tracked change.
    bool inParagraphNumbering() const {
        const std::size_t n = frames_.size();
        return n >= 3 && frames_[n - 1].tag == W::NumPr && frames_[n - 2].tag == W::PPr &&
               frames_[n - 3].tag == W::P && !paras_.empty();
    }

    // The paragraph's style takes effect before its first character.
    void applyParagraph() {
        if (paras_.empty() || paras_.back().applied) return;
        Para& p = paras_.back();
        p.applied = true;
        const DocxFormat f = styles_.paragraph(p.style);
        const int level = p.outline ? *p.outline : f.level;
        if (level > 0) {
            // A heading inside a table cell would cut the row's line: only the look stays.
            if (!t_.inCell() && note_ == 0) t_.out.beginHeading(level);
            t_.setHeading(level);
        }
        t_.setBold(f.bold);
        t_.setItalic(f.italic);
        // A list item's number, in the paragraph's own format, before its first run.
        const QString label =
            numbering_.next(p.numId.value_or(f.numId), p.numLevel.value_or(f.numLevel));
        if (!label.isEmpty()) t_.out.keptText(label + u' ');
    }
    bool emitting() {
        if (hidden_ > 0) return false;
        applyParagraph();
        return true;
    }
    void emitText(const QString& text) {
        if (!text.isEmpty() && emitting()) t_.out.keptText(text);
    }
    void noteMark(int number) {
        if (number > 0) emitText(u'[' + QString::number(number) + u']');
    }

    bool start(const XmlElement& r) {
        const QStringView ns = r.namespaceUri();
        // Markup compatibility: the choice is read, its fallback (the same text again
        // for older programs) is not.
        if (ns == kMarkupCompat && r.name() == u"Fallback") return false;
        W tag = WordTagOf(r);
        // The text of an equation (m:r/m:t) is read like a run's.
        const bool mathText = tag == W::Other && ns == kOfficeMath && r.name() == u"t";
        if (mathText) tag = W::T;
        const W parent = parentTag();
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
                t_.out.endBlock();
                break;
            }
            case W::P:
                t_.paragraphStart();
                paras_.push_back({});
                break;
            // In w:p/w:pPr itself: a tracked change's old properties come after the new.
            case W::PStyle:
                if (parent == W::PPr && grandParentTag() == W::P && !paras_.empty())
                    paras_.back().style = Attr(r.attributes(), u"val").toString();
                break;
            case W::OutlineLvl:
                if (parent == W::PPr && grandParentTag() == W::P && !paras_.empty())
                    paras_.back().outline = LevelOfOutline(Attr(r.attributes(), u"val"));
                break;
            case W::NumId:
                if (inParagraphNumbering())
                    paras_.back().numId = Attr(r.attributes(), u"val").toString();
                break;
            case W::Ilvl:
                if (inParagraphNumbering())
                    paras_.back().numLevel = Attr(r.attributes(), u"val").toInt();
                break;
            case W::R:
                // The paragraph's format first: the run puts back what it found.
                applyParagraph();
                f.bold = t_.bold;
                f.italic = t_.italic;
                f.heading = t_.heading;
                runs_.push_back({});
                break;
            case W::B:
            case W::I:
            case W::RStyle:
            case W::Vanish:
                if (parent == W::RPr && grandParentTag() == W::R && !runs_.empty()) {
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
                if (parent == W::R && emitting()) t_.out.tab();
                break;
            case W::Br:
            case W::Cr:
                if (parent == W::R && emitting()) t_.out.lineBreak();
                break;
            case W::Sym:
                if (parent == W::R) emitText(SymText(r.attributes()));
                break;
            case W::NoBreakHyphen:
                if (parent == W::R) emitText(QStringLiteral("\u2011"));
                break;
            case W::SoftHyphen:
                if (parent == W::R) emitText(QStringLiteral("\u00AD"));
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
                noteMark(n);
                break;
            }
            case W::FootnoteRef:
            case W::EndnoteRef:
                noteMark(note_);
                break;
            case W::Tbl:
                if (!t_.inCell()) t_.out.endBlock();
                break;
            case W::Tr:
                t_.rowStart();
                break;
            case W::Tc:
                t_.cellStart();
                break;
            default:
                break;
        }
        frames_.push_back(f);
        return true;
    }

    void end() {
        if (frames_.empty()) return;
        Frame f = frames_.back();
        frames_.pop_back();
        switch (f.tag) {
            case W::PPr:
                applyParagraph();
                break;
            case W::RPr:
                if (parentTag() == W::R && !runs_.empty()) {
                    // The run's own setting, else its character style's, else the
                    // paragraph's.
                    const Run& run = runs_.back();
                    applyParagraph();
                    const auto bold = run.bold ? run.bold : styles_.characterBold(run.style);
                    const auto italic =
                        run.italic ? run.italic : styles_.characterItalic(run.style);
                    if (bold) t_.setBold(*bold);
                    if (italic) t_.setItalic(*italic);
                    if (run.vanish && !frames_.empty() && !frames_.back().hidden) {
                        frames_.back().hidden = true;
                        ++hidden_;
                    }
                }
                break;
            case W::R:
                if (f.hidden) --hidden_;
                if (!runs_.empty()) runs_.pop_back();
                t_.setBold(f.bold);
                t_.setItalic(f.italic);
                break;
            case W::T:
                inText_ = false;
                break;
            case W::P:
                if (!paras_.empty()) paras_.pop_back();
                t_.paragraphEnd();
                if (!t_.inCell()) t_.out.endHeading();
                t_.setBold(f.bold);
                t_.setItalic(f.italic);
                t_.setHeading(f.heading);
                break;
            case W::Tr:
                t_.rowEnd();
                break;
            case W::Tc:
                t_.cellEnd();
                break;
            case W::Tbl:
                if (!t_.inCell()) t_.out.endBlock();
                break;
            case W::Footnote:
            case W::Endnote:
                t_.out.endBlock();
                note_ = 0;
                break;
            default:
                break;
        }
    }

    void chars(QStringView text) {
        if (inText_ && emitting()) t_.out.keptText(text);
    }

    Target& t_;
    DocxStyles& styles_;
    DocxNumbering& numbering_;
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

// The member that the first relationship of this type in `rels` points to, relative to
// `folder` unless it starts at the root; empty when there is none.
bool FindRelationship(const std::string& rels, const std::string& name, const std::string& folder,
                      QStringView type, std::string& target, std::string& error) {
    return WalkPart(
        rels, name, error,
        [&](const XmlElement& r) {
            const auto a = r.attributes();
            if (target.empty() && r.name() == u"Relationship" && Attr(a, u"Type").endsWith(type)) {
                const QStringView to = Attr(a, u"Target");
                target = (to.startsWith(u'/') ? "" : folder) + MemberName(to);
            }
            return true;
        },
        [](const XmlElement&) {}, [](QStringView) {});
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

// The numbering part, named by the main part's relationships; Word calls it
// word/numbering.xml. Empty when there is none.
std::string NumberingPart(ZipArchive& zip, const std::string& main, const std::string& folder) {
    const std::string relsName = folder + "_rels/" + main.substr(folder.size()) + ".rels";
    std::string rels, error, target;
    if (zip.contains(relsName) && zip.read(relsName, rels, error))
        FindRelationship(rels, relsName, folder, u"/numbering", target, error);
    if (target.empty() || !zip.contains(target)) target = folder + "numbering.xml";
    return zip.contains(target) ? target : std::string();
}

}  // namespace

ReadResult ReadDocxBytes(std::string_view bytes) {
    if (IsOleCompoundFile(bytes)) {
        // Word keeps a password-protected document in an OLE compound file that holds
        // the encrypted zip; an OLE file without one is an old binary Word document.
        if (HoldsStreamName(bytes, "EncryptedPackage") || HoldsStreamName(bytes, "EncryptionInfo"))
            return Fail("it is password-protected");
        return Fail("this is a binary Word document (.doc), not DOCX");
    }
    std::string error;
    auto zip = ZipArchive::open(bytes, error);
    if (!zip) return Fail(error);

    // The main part is named by the package's relationships; Word always calls it
    // word/document.xml.
    std::string main;
    if (zip->contains("_rels/.rels")) {
        std::string rels;
        if (!zip->read("_rels/.rels", rels, error)) return Fail(error);
        if (!FindRelationship(rels, "_rels/.rels", "", u"/officeDocument", main, error))
            return Fail(error);
    }
    if (main.empty() || !zip->contains(main)) main = "word/document.xml";
    if (!zip->contains(main)) return Fail(main + " is missing");
    const std::string folder =
        main.find('/') == std::string::npos ? "" : main.substr(0, main.rfind('/') + 1);

    DocxStyles styles;
    std::string part;
    if (zip->contains(folder + "styles.xml")) {
        if (!zip->read(folder + "styles.xml", part, error)) return Fail(error);
        if (!styles.read(part, folder + "styles.xml", error)) return Fail(error);
    }
    // Without its numbering, or with damaged numbering, a list is read without numbers.
    DocxNumbering numbering;
    const std::string numberingPart = NumberingPart(*zip, main, folder);
    if (!numberingPart.empty()) {
        std::string ignored;
        if (!zip->read(numberingPart, part, ignored) ||
            !numbering.read(part, numberingPart, ignored))
            numbering = DocxNumbering();
    }

    Target out;
    NoteNumbers notes;
    if (!zip->read(main, part, error)) return Fail(error);
    if (!DocxText(out, styles, numbering, notes).read(part, main, error)) return Fail(error);
    std::string().swap(part);
    out.out.endBlock();
    // Footnotes, then endnotes, each in the order the text refers to them.
    for (const char* notesPart : {"footnotes.xml", "endnotes.xml"}) {
        const std::string name = folder + notesPart;
        if (!zip->contains(name)) continue;
        if (!zip->read(name, part, error)) return Fail(error);
        Target notesOut;
        if (!DocxText(notesOut, styles, numbering, notes).read(part, name, error))
            return Fail(error);
        out.out.append(notesOut.out.take());
    }
    return Done(out.out);
}

}  // namespace vernalo
