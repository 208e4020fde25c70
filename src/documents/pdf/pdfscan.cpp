#include "documents/pdf/pdfscan.h"

#include <poppler-qt6.h>

#include <QImage>
#include <cmath>
#include <mutex>

#ifdef VERNALO_HAS_OCR
#include "documents/ocr/imagereader.h"
#include "documents/ocr/pageimage.h"
#include "documents/ocr/recognition.h"
#endif

namespace vernalo {
namespace {

#ifdef VERNALO_HAS_OCR
// The resolution scanned pages are rendered at: the one the recognition reads best.
constexpr double kScanDpi = 300;

// Page `index` rendered as a grey page image; poppler renders one page at a time.
PixPtr RenderPage(Poppler::Document& pdf, std::mutex& mutex, int index) {
    std::lock_guard lock(mutex);
    std::unique_ptr<Poppler::Page> page = pdf.page(index);
    if (!page) return nullptr;
    const QSizeF points = page->pageSizeF();
    double dpi = kScanDpi;
    // A poster-sized page is rendered coarser, to stay within a page image's limits.
    const double pixels = points.width() * points.height() * (dpi / 72) * (dpi / 72);
    if (pixels > kMaxImagePixels) dpi *= std::sqrt(kMaxImagePixels / pixels);
    const double side = std::max(points.width(), points.height()) * dpi / 72;
    if (side > kMaxImageSide) dpi *= kMaxImageSide / side;
    const QImage image = page->renderToImage(dpi, dpi).convertToFormat(QImage::Format_Grayscale8);
    if (image.isNull()) return nullptr;
    return GrayPagePix(image.constBits(), image.width(), image.height(),
                       static_cast<int>(image.bytesPerLine()), static_cast<int>(dpi));
}
#endif

}  // namespace

ReadResult ReadPdfPages(Poppler::Document& pdf, std::vector<std::vector<PageParagraph>> text,
                        const std::vector<int>& scanned, const ReadControl& control,
                        std::vector<std::size_t>* pageStarts) {
    RichDocument doc;
    bool any = false;
    std::size_t next = 0;  // the first page not yet in `doc`
    // The pages before `end` go into the document, each page handed on as it comes when
    // some are recognised (the pages then come slowly).
    const auto addPagesUpTo = [&](std::size_t end) {
        for (; next < end; ++next) {
            if (pageStarts) (*pageStarts)[next] = doc.nextTextPosition() + (any ? 1 : 0);
#ifdef VERNALO_HAS_OCR
            if (!scanned.empty()) {
                any = AddRecognisedPage(doc, !any, text[next], control) || any;
                continue;
            }
#endif
            any = AppendPage(doc, text[next], !any) || any;
        }
    };
    ReadResult r;
    r.ok = true;
#ifdef VERNALO_HAS_OCR
    if (!scanned.empty()) {
        std::mutex renderLock;
        r = RecognisePages(
            static_cast<int>(scanned.size()),
            [&](int i) {
                return RenderPage(pdf, renderLock, scanned[static_cast<std::size_t>(i)]);
            },
            control,
            [&](int i, std::vector<PageParagraph> page) {
                const auto at = static_cast<std::size_t>(scanned[static_cast<std::size_t>(i)]);
                addPagesUpTo(at);
                text[at] = std::move(page);
                addPagesUpTo(at + 1);
            });
        if (!r.ok) return r;
        r.description = "PDF document, " + RecognisedTextDescription();
    }
#else
    (void)pdf;
#endif
    addPagesUpTo(text.size());
    if (!any) return ReadFailure("This PDF has no text to read.", true);
    doc.finish(ParagraphFormat{});
    r.document = std::move(doc);
    return r;
}

}  // namespace vernalo
