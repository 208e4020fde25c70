#pragma once
// The text layer of a PDF file as paragraphs: page by page, an empty paragraph between
// pages. The lines of a paragraph are joined, and a word split by a hyphen at a line's end
// is made whole again (documents/model/pagelines.h). Lines taller than the page's usual text
// come out bold, as headings. A page without a text layer (a scan) is rendered and its text
// recognised, where the build has the recognition.

#include <string_view>

#include "documents/model/documentformat.h"

namespace vernalo {

// Fails with "it is password-protected", "the PDF is damaged", "it takes too long to
// read", the recognition's messages, or, as the whole message, "This PDF has no text to
// read." when no page gives any text. `control` is asked between pages, so the read can run
// off the GUI thread and be abandoned; recognised pages are handed on as they come.
ReadResult ReadPdfBytes(std::string_view bytes, const ReadControl& control = {});

// Known by the name's suffix alone.
extern const DocumentFormat kPdfFormat;

}  // namespace vernalo
