#pragma once
// The text layer of a PDF file as paragraphs: page by page, an empty paragraph between
// pages. The lines of a paragraph are joined, and a word split by a hyphen at a line's end
// is made whole again. Lines taller than the page's usual text come out bold, as headings.

#include <string_view>

#include "documents/model/documentformat.h"

namespace vernalo {

// Fails with "it is password-protected", "the PDF is damaged", "it takes too long to
// read", or, as the whole message, "This PDF has no text to read." for a file of scanned
// pages. `control` is asked between pages, so the read can run off the GUI thread and be
// abandoned.
ReadResult ReadPdfBytes(std::string_view bytes, const ReadControl& control = {});

// Known by the name's suffix alone.
extern const DocumentFormat kPdfFormat;

}  // namespace vernalo
