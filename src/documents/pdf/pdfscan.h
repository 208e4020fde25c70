#pragma once
// A PDF's pages put together: the text layer where a page has one, and where it has none
// (a scanned page) the text recognised in the page rendered at 300 dpi.

#include <vector>

#include "documents/model/documentformat.h"
#include "documents/model/pagelines.h"

namespace Poppler {
class Document;
}

namespace vernalo {

// `text` holds every page's paragraphs from its text layer; `scanned` the pages (0-based, in
// order) that have none. Fails with "This PDF has no text to read." when no page gives any
// text, or with the recognition's message. `pageStarts`, when given (one per page), gets
// where each page's text starts; a page without text starts where the next one does.
ReadResult ReadPdfPages(Poppler::Document& pdf, std::vector<std::vector<PageParagraph>> text,
                        const std::vector<int>& scanned, const ReadControl& control,
                        std::vector<std::size_t>* pageStarts = nullptr);

}  // namespace vernalo
