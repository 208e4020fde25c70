#pragma once
// Word 97-2003 binary documents (.doc): the main text through the piece table of the
// WordDocument stream, read from the compound file with libgsf. Paragraphs stay
// paragraphs, table cells come out apart by tabs and each row as a paragraph, fields keep
// their shown result, and pictures and other anchors are dropped. Bold and italic set on
// the text itself are kept, and headings (Word's heading styles) come out bold; other
// formatting, and what styles themselves set, is not read.

#include <string_view>

#include "documents/model/documentformat.h"

namespace vernalo {

// The bytes start as a compound file does (Word, Excel and other Office 97-2003 files).
bool IsCompoundFile(std::string_view bytes);

// Fails with "this is not a text document." (a compound file with no Word text, such as a
// spreadsheet), "it is password-protected", "it was saved by Word 95 or earlier" or
// "the Word document is damaged".
ReadResult ReadWordBytes(std::string_view bytes);

// Known by its content alone: any compound file, whatever its name.
extern const DocumentFormat kWord97Format;

}  // namespace vernalo
