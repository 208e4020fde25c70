#pragma once
// Books as the editor's formatted text: FictionBook 2 (.fb2, and .fb2.zip holding one) and
// EPUB 2 and 3, known by the name's suffix. Headings come out bold and larger, emphasis
// italic, strong text bold; poems keep their line breaks, list items and table rows are lines
// (cells apart by tabs), FB2 notes come last. Images and styles are dropped.

#include "documents/model/documentformat.h"

namespace vernalo {

extern const DocumentFormat kFb2Format;
extern const DocumentFormat kFb2ZipFormat;
extern const DocumentFormat kEpubFormat;

}  // namespace vernalo
