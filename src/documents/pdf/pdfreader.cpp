#include "documents/pdf/pdfreader.h"

#include <poppler-qt6.h>

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <memory>
#include <vector>

#include "documents/pdf/pdfscan.h"

namespace vernalo {
namespace {

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

// Poppler's words in reading order, grouped into its lines.
std::vector<PageLine> PageLines(const std::vector<std::unique_ptr<Poppler::TextBox>>& boxes) {
    const auto box = [](const QRectF& r) {
        return LineBox{r.left(), r.top(), r.right(), r.bottom()};
    };
    std::vector<PageLine> lines;
    bool open = false;
    for (const auto& word : boxes) {
        if (!open) {
            lines.push_back(PageLine{{}, box(word->boundingBox()), word->boundingBox().width()});
            open = true;
        } else {
            lines.back().box = lines.back().box.united(box(word->boundingBox()));
        }
        lines.back().text += word->text().toStdU16String();
        if (!word->nextWord())
            open = false;
        else if (word->hasSpaceAfter())
            lines.back().text += u' ';
    }
    return MergeLinePieces(std::move(lines));
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

    // The text layer first: it is quick, and the pages without one are recognised after.
    std::vector<std::vector<PageParagraph>> text(static_cast<std::size_t>(pages));
    std::vector<int> scanned;
    for (int i = 0; i < pages; ++i) {
        if (stop()) return stop.result();
        std::unique_ptr<Poppler::Page> page = pdf->page(i);
        if (!page) return Fail("the PDF is damaged");
        const auto boxes = page->textList(Poppler::Page::Rotate0, AskStopper,
                                          QVariant::fromValue(reinterpret_cast<quintptr>(&stop)));
        if (stop.stopped()) return stop.result();
        text[static_cast<std::size_t>(i)] = JoinPageLines(PageLines(boxes));
        if (text[static_cast<std::size_t>(i)].empty()) scanned.push_back(i);
    }
    std::vector<std::size_t> pageStarts(static_cast<std::size_t>(pages), 0);
    ReadResult r = ReadPdfPages(*pdf, std::move(text), scanned, control, &pageStarts);
    if (!r.ok) return r;
    std::vector<Bookmark> marks;
    Bookmarks(pdf->outline(), 1, pages, marks);
    AddBookmarks(r.document, marks, pageStarts);
    r.document.title = pdf->info(QStringLiteral("Title")).simplified().toStdU16String();
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
