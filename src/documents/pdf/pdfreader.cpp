#include "documents/pdf/pdfreader.h"

#include <poppler-qt6.h>

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <memory>
#include <vector>

namespace vernalo {
namespace {

struct Line {
    QString text;
    QRectF box;
    qreal firstWordWidth = 0;
};

struct PageParagraph {
    QString text;
    bool heading = false;
};

ReadResult Fail(std::string error, bool whole = false) {
    return ReadFailure(std::move(error), whole);
}

// Asked between pages and, through poppler's callback, inside a page's text extraction.
class Stopper {
public:
    explicit Stopper(const ReadControl& control)
        : control_(control), deadline_(std::chrono::steady_clock::now() + control.timeLimit) {}
    bool operator()() {
        if (control_.cancelled && control_.cancelled())
            cancelled_ = true;
        else if (std::chrono::steady_clock::now() > deadline_)
            late_ = true;
        return cancelled_ || late_;
    }
    bool stopped() const { return cancelled_ || late_; }
    ReadResult result() const {
        return Fail(cancelled_ ? "the reading was cancelled" : "it takes too long to read");
    }

private:
    const ReadControl& control_;
    std::chrono::steady_clock::time_point deadline_;
    bool cancelled_ = false;
    bool late_ = false;
};

bool AskStopper(const QVariant& closure) {
    return (*reinterpret_cast<Stopper*>(closure.value<quintptr>()))();
}

// Poppler reports every repair of a damaged file on standard error; the reader's own
// message says what matters.
void SilencePoppler() {
    static const bool once = [] {
        Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
        return true;
    }();
    (void)once;
}

// A PDF starts with "%PDF-" and ends with "%%EOF"; a file cut short misses the end, and
// poppler would otherwise rebuild what it can and give a part of the text as if whole.
bool LooksWhole(std::string_view bytes) {
    if (bytes.substr(0, 1024).find("%PDF-") == std::string_view::npos) return false;
    const std::size_t tail = std::min<std::size_t>(bytes.size(), 4096);
    return bytes.substr(bytes.size() - tail).find("%%EOF") != std::string_view::npos;
}

bool IsHyphen(QChar c) {
    return c == u'-' || c == QChar(0x00AD) || c == QChar(0x2010);
}

// "Rus-" at a line's end and "sian" on the next line are one word.
bool SplitsWord(const QString& a, const QString& b) {
    return a.size() >= 2 && IsHyphen(a.back()) && a[a.size() - 2].isLetter() && !b.isEmpty() &&
           b.front().isLower();
}

qreal Median(std::vector<qreal> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Poppler's words in reading order, grouped into its lines.
std::vector<Line> PageLines(const std::vector<std::unique_ptr<Poppler::TextBox>>& boxes) {
    std::vector<Line> lines;
    bool open = false;
    for (const auto& word : boxes) {
        if (!open) {
            lines.push_back(Line{{}, word->boundingBox(), word->boundingBox().width()});
            open = true;
        } else {
            lines.back().box = lines.back().box.united(word->boundingBox());
        }
        lines.back().text += word->text();
        if (!word->nextWord())
            open = false;
        else if (word->hasSpaceAfter())
            lines.back().text += u' ';
    }
    std::erase_if(lines, [](const Line& l) { return l.text.trimmed().isEmpty(); });
    // Poppler cuts a justified line with wide gaps into pieces; the pieces of one line, in
    // order from left to right on one baseline, are put back together.
    std::vector<Line> joined;
    for (Line& line : lines) {
        if (!joined.empty()) {
            Line& last = joined.back();
            const QRectF& a = last.box;
            const QRectF& b = line.box;
            if (std::abs(a.bottom() - b.bottom()) < 0.2 * a.height() &&
                std::abs(a.height() - b.height()) < 0.2 * a.height() && b.left() >= a.right() - 1) {
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

// Lines into paragraphs. A new paragraph starts where the next line is not below this one,
// has another size, sits further apart than the page's usual line spacing, starts further
// right (an indent), or where its first word would have fitted on this line, which then
// ended early on purpose.
std::vector<PageParagraph> PageParagraphs(std::vector<Line> lines) {
    std::vector<PageParagraph> out;
    if (lines.empty()) return out;
    std::vector<qreal> heights, pitches;
    qreal right = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QRectF& b = lines[i].box;
        heights.push_back(b.height());
        right = std::max(right, b.right());
        if (i == 0) continue;
        const QRectF& a = lines[i - 1].box;
        const qreal pitch = b.top() - a.top();
        if (pitch > 0 && pitch < 3 * a.height() &&
            std::abs(a.height() - b.height()) < 0.2 * a.height())
            pitches.push_back(pitch);
    }
    const qreal height = Median(heights);
    const qreal pitch = pitches.empty() ? 1.2 * height : Median(pitches);

    auto breaksBetween = [&](const Line& a, const Line& b) {
        const QRectF& x = a.box;
        const QRectF& y = b.box;
        if (y.top() <= x.top() + 0.3 * x.height()) return true;
        if (std::abs(x.height() - y.height()) > 0.2 * std::max(x.height(), y.height())) return true;
        if (y.top() - x.top() > 1.25 * pitch + 0.5) return true;
        if (y.left() > x.left() + 0.8 * x.height()) return true;
        const qreal space = 0.3 * x.height();
        return x.right() + space + b.firstWordWidth < right - 1;
    };

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (i == 0 ||
            (breaksBetween(lines[i - 1], line) && !SplitsWord(lines[i - 1].text, line.text))) {
            out.push_back(PageParagraph{line.text.trimmed(), line.box.height() > 1.3 * height});
            continue;
        }
        QString& text = out.back().text;
        if (SplitsWord(text, line.text))
            text.chop(1);
        else
            text += u' ';
        text += line.text.trimmed();
    }
    return out;
}

std::u16string_view View(const QString& s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size())};
}

struct Bookmark {
    QString title;
    int level;
    int page;  // 0-based
};

// The outline's entries that point at a page of this document, depth first as listed.
void Bookmarks(const QVector<Poppler::OutlineItem>& items, int level, int pages,
               std::vector<Bookmark>& out) {
    for (const Poppler::OutlineItem& item : items) {
        if (out.size() >= 100'000 || level > 32) return;
        const auto destination = item.destination();
        const int page = destination ? destination->pageNumber() - 1 : -1;
        if (page >= 0 && page < pages) out.push_back({item.name(), level, page});
        if (item.hasChildren()) Bookmarks(item.children(), level + 1, pages, out);
    }
}

// A bookmark points at a page: it starts at the paragraph of that page whose text begins
// with its title, else at the page's first paragraph.
void AddBookmarks(RichDocument& doc, const std::vector<Bookmark>& marks,
                  const std::vector<std::size_t>& pageStarts) {
    std::vector<Heading> found;
    const std::u16string_view text = doc.text();
    for (const Bookmark& b : marks) {
        const std::size_t from = pageStarts[static_cast<std::size_t>(b.page)];
        const std::size_t to = static_cast<std::size_t>(b.page) + 1 < pageStarts.size()
                                   ? pageStarts[static_cast<std::size_t>(b.page) + 1]
                                   : text.size();
        const std::u16string title = b.title.simplified().toStdU16String();
        std::size_t at = from;
        if (!title.empty() && from < text.size()) {
            const std::size_t hit = text.substr(from, to - from).find(title);
            if (hit != std::u16string_view::npos) {
                const std::size_t para = text.rfind(u'\n', from + hit);
                at = para == std::u16string_view::npos || para < from ? from : para + 1;
            }
        }
        found.push_back({title, b.level, at});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Heading& a, const Heading& b) { return a.position < b.position; });
    for (const Heading& h : found)
        doc.addHeading(h.title, h.level, h.position);
}

}  // namespace

ReadResult ReadPdfBytes(std::string_view bytes, const ReadControl& control) {
    SilencePoppler();
    if (!LooksWhole(bytes)) return Fail("the PDF is damaged");
    Stopper stop(control);
    // Not copied: the document goes before the bytes do.
    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::loadFromData(
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!pdf) return Fail("the PDF is damaged");
    if (pdf->isLocked()) return Fail("it is password-protected");
    const int pages = pdf->numPages();
    if (pages <= 0) return Fail("the PDF is damaged");

    RichDocument doc;
    CharFormat body, heading;
    heading.bold = true;
    bool any = false;
    // Where each page's text starts; a page without text starts where the next one does.
    std::vector<std::size_t> pageStarts;
    pageStarts.reserve(static_cast<std::size_t>(pages));
    for (int i = 0; i < pages; ++i) {
        pageStarts.push_back(doc.nextTextPosition() + (any ? 1 : 0));
        if (stop()) return stop.result();
        std::unique_ptr<Poppler::Page> page = pdf->page(i);
        if (!page) return Fail("the PDF is damaged");
        const auto boxes = page->textList(Poppler::Page::Rotate0, AskStopper,
                                          QVariant::fromValue(reinterpret_cast<quintptr>(&stop)));
        if (stop.stopped()) return stop.result();
        const std::vector<PageParagraph> paragraphs = PageParagraphs(PageLines(boxes));
        if (paragraphs.empty()) continue;
        if (any) doc.endParagraph(ParagraphFormat{});  // the blank line between pages
        any = true;
        for (const PageParagraph& p : paragraphs) {
            doc.addText(p.heading ? heading : body, View(p.text));
            doc.endParagraph(ParagraphFormat{});
        }
    }
    if (!any) return Fail("This PDF has no text to read.", true);
    doc.finish(ParagraphFormat{});
    std::vector<Bookmark> marks;
    Bookmarks(pdf->outline(), 1, pages, marks);
    AddBookmarks(doc, marks, pageStarts);
    doc.title = pdf->info(QStringLiteral("Title")).simplified().toStdU16String();
    ReadResult r;
    r.ok = true;
    r.document = std::move(doc);
    return r;
}

namespace {

ReadResult ReadPdf(std::string_view bytes, const ReadControl& control) {
    if (bytes.empty()) return Fail("the file is empty");
    return ReadPdfBytes(bytes, control);
}

}  // namespace

const DocumentFormat kPdfFormat{"PDF document", DocumentKind::Pdf, TakesByName<DocumentKind::Pdf>,
                                ReadPdf};

}  // namespace vernalo
