#pragma once
// A reading written to sound files instead of the audio device: the reading session runs over
// a copy of the text and hands its pieces to the built-in engine as fast as it cuts them; the
// engine synthesizes them in order and the files encode on a thread of their own. A voice of
// an installed engine makes its pieces on the calling thread, in their turn. Runs on the
// calling thread; progress (reported from the engine's thread) and cancel cross threads.

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "documents/model/bookdetails.h"
#include "export/audiofile.h"
#include "export/chapters.h"
#include "export/timeline.h"
#include "reading/readingsession.h"
#include "speech/driven/drivenmode.h"
#include "text/language.h"

namespace vernalo {

struct ExportVoice {
    int mode = 1;  // a mode of the built-in engine, unless `driven` is set
    int speed = 100;
    // A voice of an installed engine, which reads instead of the built-in one.
    std::optional<DrivenMode> driven;
};

struct ExportRequest {
    std::u16string text;
    ReadingOptions options;  // Repeat text is ignored: an export ends with its text
    PerLanguage<ExportVoice> voices;
    std::string path;  // the format follows its suffix
    // Above 0: numbered files of about this many minutes each, cut at sentence ends.
    double splitMinutes = 0;
    // Not empty (TopLevelChapters): one file per chapter instead, "01 - Title.mp3" in the
    // folder of `path`, with an M3U playlist named as `path` with the suffix .m3u.
    std::vector<ExportChapter> chapters;
    // With `chapters`: one file at `path` that marks where each begins, instead.
    bool chapterMarks = false;
    // The book's title, every file's album tag, and who is named as its artist.
    std::string album;
    std::string artist = "Vernalo";
    // What the book tells of itself (language, year, cover), in every file that has room.
    BookDetails book;
    // The built-in engine reads the text's second language in a copy of the program, on
    // another core; off, one engine reads both, switching voices.
    bool secondProcess = true;
};

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;  // names the file and the system's reason
    std::vector<std::string> files;
    double seconds = 0;    // of sound, all files together
    std::string playlist;  // written beside chapter files
    Timeline timeline;     // what was said when in the files
};

// Writes the reading of `request`. `progress` gets the share of the text done (0 to 1) on this
// thread; `cancel` set from any thread stops it, leaving no file.
ExportResult ExportAudio(const ExportRequest& request, const DictionaryStore& dictionaries,
                         const std::function<void(double)>& progress,
                         const std::atomic<bool>& cancel);

}  // namespace vernalo
