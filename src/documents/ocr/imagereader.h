#pragma once
// Pictures of pages (PNG, JPEG, TIFF with every page, WebP, BMP) read by recognising their
// text.

#include "documents/model/documentformat.h"
#include "documents/model/pagelines.h"

namespace vernalo {

// Fails with "the image is damaged", "the image is too large to recognise: ..." (with the
// limits) at once, from the headers; or the missing language data as the whole message, or
// "No text was found in this image." when nothing was recognised.
ReadResult ReadImageBytes(std::string_view bytes, const ReadControl& control = {});

// Adds a recognised page to `doc` (after an empty paragraph when it holds pages already)
// and hands it to control.pageRead on its own; false for a page without text.
bool AddRecognisedPage(RichDocument& doc, bool firstPage, const std::vector<PageParagraph>& page,
                       const ReadControl& control);

// Known by the first bytes, or by the name's suffix (so a damaged image gets its message).
extern const DocumentFormat kImageFormat;

}  // namespace vernalo
