#pragma once
// The text files of a read-along book: a chapter's XHTML whose sentences are elements with
// ids, its overlay (SMIL) tying each sentence to its clip of the chapter's audio, the
// navigation document and the package document that declares them.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "documents/model/richdocument.h"
#include "export/timeline.h"

namespace vernalo {

struct BookInfo {
    std::string title;
    std::string author;    // none when empty
    std::string language;  // "ru" or "en"
    std::string identifier;
    std::string modified;  // "2026-01-31T12:00:00Z"
};

// A chapter of the book: a stretch of the text and the audio file that reads it.
struct BookChapter {
    std::string title;
    long textStart = 0;
    long textEnd = 0;
    std::string name;  // "c01": c01.xhtml, c01.smil and audio/c01.mp3
    PartTimeline part;
};

// The class the reading system gives the sentence being played, and its style.
inline constexpr const char* kActiveClass = "vernalo-active";
std::string BookStyle();

struct ChapterXhtml {
    std::string xhtml;
    std::map<long, std::string> ids;  // a sentence's first unit in the text: its element's id
};

// The chapter's paragraphs of `document` (whose text the timeline's spans point into): a
// heading as <h1>..<h6>, any other paragraph as <p>, bold and italic kept, each sentence
// spoken a <span> with an id (a sentence that runs on into the next paragraph goes on in a
// span without one) and its language where it is not the book's.
ChapterXhtml MakeChapterXhtml(const RichDocument& document, const BookChapter& chapter,
                              const BookInfo& info);

// The overlay: one <par> each time a sentence is spoken, its clip from the start of its sound
// to the start of the next (so the pauses play too) or the end of the file; `milliseconds`
// gets the length of all its clips. Empty when no sentence has a clip.
std::string MakeOverlay(const BookChapter& chapter, const std::map<long, std::string>& ids,
                        std::int64_t* milliseconds);

std::string MakeNavigation(const std::vector<BookChapter>& chapters, const BookInfo& info);

// The package document; `overlayMs` has each chapter's overlay length, -1 for none.
std::string MakePackage(const std::vector<BookChapter>& chapters,
                        const std::vector<std::int64_t>& overlayMs, const BookInfo& info);

}  // namespace vernalo
