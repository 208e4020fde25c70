#pragma once
// Books as the editor's formatted text: FictionBook 2 (.fb2, and .fb2.zip holding one)
// and EPUB 2 and 3. Headings come out bold and larger, emphasis italic, strong text
// bold; poems keep their line breaks, list items and table rows are lines (cells apart
// by tabs), FB2 notes come last. Images and styles are dropped.

#include <string>
#include <string_view>

#include "documents/rtfmodel.h"

namespace vernalo {

// Docx and Odt are office documents (officereader.h), read the same way.
enum class BookKind { None, Fb2, Fb2Zip, Epub, Docx, Odt };

// By the file name's suffix (case ignored).
BookKind BookKindOf(std::string_view path);
// What the kind is, for --verbose: "EPUB book", "Word document (DOCX)"...
const char* BookKindName(BookKind kind);

struct BookResult {
    bool ok = false;
    RtfDocument document;
    // When !ok, what is wrong, for "Cannot read NAME: <error>": "the archive is damaged",
    // "the package document is missing", "word/document.xml: malformed XML at line 3: ...",
    // "it is password-protected"...
    std::string error;
};

// Whether a file of this kind is for the book reader. An office document is when it is a
// zip archive (or, DOCX, an OLE file: a password-protected one); a rich or plain text that
// merely bears the name (report.docx saved as RTF) is not, and is read as it was before.
bool ReadsAsBook(std::string_view bytes, BookKind kind);

BookResult ReadBookBytes(std::string_view bytes, BookKind kind);
// Reads the file and converts it by its suffix.
BookResult ReadBook(const std::string& path);

}  // namespace vernalo
