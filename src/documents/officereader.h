#pragma once
// Word (DOCX, Office Open XML) and OpenDocument (ODT) text documents as the editor's
// formatted text, the way books are read (bookreader.h): headings bold and larger, bold
// and italic runs (set directly or by a style), line breaks and tabs kept, each list item
// a line that starts with its number or bullet, each table row a line (cells apart by
// tabs), footnotes and endnotes last. Deleted revisions, field codes, comments and
// annotations are dropped; images and layout too.

#include <string_view>

#include "documents/bookreader.h"

namespace vernalo {

// The bytes of a .docx file: word/document.xml (found through _rels/.rels), with the
// styles of word/styles.xml and the notes of word/footnotes.xml and word/endnotes.xml.
BookResult ReadDocxBytes(std::string_view bytes);
// The bytes of an .odt file: content.xml, with the styles of styles.xml.
BookResult ReadOdtBytes(std::string_view bytes);

}  // namespace vernalo
