#pragma once
// Books as the editor's formatted text: FictionBook 2 (.fb2, and .fb2.zip holding one),
// EPUB 2 and 3, and the text layer of PDF files. Headings come out bold and larger, emphasis
// italic, strong text bold; poems keep their line breaks, list items and table rows are lines
// (cells apart by tabs), FB2 notes come last. Images and styles are dropped.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "documents/openkind.h"
#include "documents/rtfmodel.h"

namespace vernalo {

// What the kind is, for --verbose: "EPUB book", "Word document (DOCX)"...
const char* BookKindName(BookKind kind);

struct BookResult {
    bool ok = false;
    RtfDocument document;
    // When !ok, what is wrong, for "Cannot read NAME: <error>": "the archive is damaged",
    // "the package document is missing", "word/document.xml: malformed XML at line 3: ...",
    // "it is password-protected"...
    std::string error;
    // The error is the user's whole message ("This PDF has no text to read."), not a
    // reason to follow "Cannot read NAME: ".
    bool wholeMessage = false;
};

// Lets a caller that reads on another thread give up on a slow file. Formats read in one
// go (FB2, EPUB) ignore it; PDF asks between pages and while a page's text is gathered.
struct ReadControl {
    // True when the caller no longer wants the result.
    std::function<bool()> cancelled;
    // Past this the read stops with "it takes too long to read".
    std::chrono::steady_clock::duration timeLimit = std::chrono::seconds(30);
};

// Whether a file of this kind is for the book reader: never for BookKind::None. An office
// document is when it is a zip archive (or, DOCX, an OLE file: a password-protected one); a
// rich or plain text that merely bears the name (report.docx saved as RTF) is not, and is read
// as it was before.
bool ReadsAsBook(std::string_view bytes, BookKind kind);

BookResult ReadBookBytes(std::string_view bytes, BookKind kind, const ReadControl& control = {});
// Reads the file and converts it by its suffix.
BookResult ReadBook(const std::string& path, const ReadControl& control = {});

}  // namespace vernalo
