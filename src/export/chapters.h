#pragma once
// An audiobook cut by chapters: which headings start a file, what each file is called, and
// the playlist that lists them in order.

#include <string>
#include <vector>

namespace vernalo {

// A heading of the text being exported: where its paragraph starts (0-based), its level
// (1 the top) and its title (UTF-8).
struct HeadingMark {
    long position = 0;
    int level = 1;
    std::string title;
};

// One file of the export: from `start` to the next chapter's start.
struct ExportChapter {
    long start = 0;
    std::string title;
};

// The chapters of a text: its headings of the top level there is (a book whose only headings
// are of level 2 is cut at those). Text before the first of them that holds a letter or a
// digit is a chapter of its own titled `openingTitle`; so is a text without headings. The
// first chapter starts at 0.
std::vector<ExportChapter> TopLevelChapters(const std::vector<HeadingMark>& headings,
                                            const std::u16string& text,
                                            const std::string& openingTitle);

// "07 - Title.mp3": the number in `width` digits at least, then the title with what file
// systems refuse or take specially (/ \ : * ? " < > |) made '_', blanks and control characters
// collapsed into one blank, closing dots dropped and the name kept within 200 bytes.
std::string ChapterFileName(int number, int width, const std::string& title,
                            const std::string& suffix);
// The title made a file name as above, without number or suffix ("" for a blank title).
std::string SafeFileName(const std::string& title);

struct PlaylistEntry {
    std::string file;  // the name beside the playlist
    double seconds = 0;
    std::string title;
};

// An extended M3U playlist (UTF-8): the files by their names relative to it, each with its
// length in whole seconds and its title.
std::string M3uPlaylist(const std::vector<PlaylistEntry>& entries);

}  // namespace vernalo
