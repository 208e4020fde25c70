#pragma once
// A read-along book: an EPUB 3 made from a document and its reading, whose text lights up
// sentence by sentence as its audio plays. Each chapter (the document's top-level headings cut
// it) is an XHTML document, an MP3 file and a media overlay tying the two.

#include <atomic>
#include <functional>
#include <string>

#include "dict/dictionary.h"
#include "documents/model/richdocument.h"
#include "export/audioexport.h"

namespace vernalo {

struct ReadAlongRequest {
    // The reading, as for the audio export; its path is the book's (.epub). Without chapters,
    // the document's headings cut it, as TopLevelChapters does.
    ExportRequest audio;
    // The document whose text `audio.text` is: its paragraphs, emphasis and headings.
    RichDocument document;
    std::string author;  // none when empty
};

// Whether `path` names a read-along book (ends in .epub).
bool IsReadAlongBookPath(const std::string& path);

// Writes the book at `request.audio.path`, whole or not at all: the audio is made beside it
// in a folder that goes when the book is written or fails. The result's files are the book;
// its timeline tells the chapters' audio, in the book as audio/c01.mp3 and on.
ExportResult ExportReadAlongBook(const ReadAlongRequest& request,
                                 const DictionaryStore& dictionaries,
                                 const std::function<void(double)>& progress,
                                 const std::atomic<bool>& cancel);

}  // namespace vernalo
