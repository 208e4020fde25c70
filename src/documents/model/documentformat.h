#pragma once
// What every document reader offers the dispatcher (documents/read.h): whether it takes a
// file, and the file read into the one rich document, or refused with what is wrong.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "documents/model/openkind.h"
#include "documents/model/richdocument.h"

namespace vernalo {

struct ReadResult {
    bool ok = false;
    RichDocument document;
    // When !ok, what is wrong, for "Cannot read NAME: <error>": "the file is damaged or incomplete",
    // "the package document is missing", "word/document.xml: malformed XML at line 3: ...",
    // "it is password-protected"...
    std::string error;
    // The error is the user's whole message ("This PDF has no text to read."), not a
    // reason to follow "Cannot read NAME: ".
    bool wholeMessage = false;
    // Refused as no text at all (a program, an image): the window words that refusal itself.
    bool notText = false;
    // Read as plain text: the document is the decoded text, one paragraph per line, and its
    // text() is that text unchanged (a line separator stays one).
    bool plainText = false;
    // What the file was read as, for `convert --verbose`: "EPUB book", "rich text (RTF)",
    // "plain text, UTF-8"...
    std::string description;
};

// Lets a caller that reads on another thread give up on a slow file. Formats read in one
// go ignore it; PDF asks between pages and while a page's text is gathered.
struct ReadControl {
    // True when the caller no longer wants the result.
    std::function<bool()> cancelled;
    // Past this the read stops with "it takes too long to read".
    std::chrono::steady_clock::duration timeLimit = std::chrono::seconds(30);
    // A reader that goes page by page through a slow road (recognised scans, where the limit
    // above, ten times over, holds for each page instead) tells how many pages are done of
    // how many...
    std::function<void(int done, int pages)> progress = nullptr;
    // ...and hands on each page that holds text, in order, as soon as it is done. The result
    // holds them all again, an empty paragraph between pages.
    std::function<void(RichDocument page)> pageRead = nullptr;
};

struct DocumentFormat {
    // What a file of this format is, for `convert --verbose` ("Word 97-2003 document").
    const char* name;
    // The kind a file's name gives it, or None for a format known by its content alone.
    DocumentKind kind;
    // Whether this format reads the file: by its name, its first bytes, or both.
    bool (*takes)(std::string_view bytes, std::u16string_view fileName);
    ReadResult (*read)(std::string_view bytes, const ReadControl& control);
};

// For a format known by its name alone: it takes every file whose name gives this kind.
template <DocumentKind kind>
bool TakesByName(std::string_view, std::u16string_view fileName) {
    return DocumentKindOf(fileName) == kind;
}

// A refusal with what is wrong.
inline ReadResult ReadFailure(std::string error, bool wholeMessage = false) {
    ReadResult r;
    r.error = std::move(error);
    r.wholeMessage = wholeMessage;
    return r;
}

// For a reader that is never cancelled: an empty file is refused before it is read.
template <ReadResult (*read)(std::string_view)>
ReadResult ReadNonEmpty(std::string_view bytes, const ReadControl&) {
    if (bytes.empty()) return ReadFailure("the file is empty");
    return read(bytes);
}

}  // namespace vernalo
