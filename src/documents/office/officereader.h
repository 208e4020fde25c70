#pragma once
// Word (DOCX, Office Open XML) and OpenDocument (ODT) text documents as the editor's
// formatted text, the way books are read (documents/books): headings bold and larger, bold
// and italic runs (set directly or by a style), line breaks and tabs kept, each list item
// a line that starts with its number or bullet, each table row a line (cells apart by
// tabs), footnotes and endnotes last. Deleted revisions, field codes, comments and
// annotations are dropped; images and layout too.

#include <string_view>

#include "documents/model/documentformat.h"

namespace vernalo {

// The bytes of a .docx file: word/document.xml (found through _rels/.rels), with the
// styles of word/styles.xml and the notes of word/footnotes.xml and word/endnotes.xml.
ReadResult ReadDocxBytes(std::string_view bytes);
// The bytes of an .odt file: content.xml, with the styles of styles.xml.
ReadResult ReadOdtBytes(std::string_view bytes);

// Known by the name's suffix, and taken when the content is a package (or, DOCX, an OLE file:
// a password-protected one): a rich or plain text that merely bears the name (report.docx
// saved as RTF) is read as what it is.
extern const DocumentFormat kDocxFormat;
extern const DocumentFormat kOdtFormat;

}  // namespace vernalo
