#pragma once
// The pages of a scan recognised on every core, one page per core, and handed on in their
// order as soon as each and the ones before it are done.

#include <functional>
#include <string>
#include <vector>

#include "documents/model/documentformat.h"
#include "documents/model/pagelines.h"
#include "documents/ocr/pageimage.h"

namespace vernalo {

// How many pages are recognised at once: one per core, two at most (each engine holds its
// models, about 100 MB).
int RecognitionWorkers(int pages);

// Gives page `index` as an image; null when it cannot be made (a damaged page). Called on
// the worker threads, more than one at a time.
using PageImageSource = std::function<PixPtr(int index)>;

// Recognises `pages` pages. control.progress and control.pageRead are told in page order, on
// the calling thread; `delivered` gets every page's paragraphs (an empty list for a page
// without text), also in order. Fails with the reader's message: the missing language data
// (whole), "the image is damaged", "the reading was cancelled".
ReadResult RecognisePages(int pages, const PageImageSource& image, const ReadControl& control,
                          const std::function<void(int, std::vector<PageParagraph>)>& delivered);

// "recognised text (Tesseract 5.3, rus+eng)", for `convert --verbose`.
std::string RecognisedTextDescription();

}  // namespace vernalo
