#pragma once
// What an export is made of, decided alike for the window and vernalo-cli: the voice that
// writes each language's files, and where a book is cut into chapters.

#include <optional>
#include <string>
#include <vector>

#include "export/audioexport.h"
#include "export/chapters.h"
#include "speech/driven/drivenmode.h"
#include "speech/espeakengine.h"
#include "text/language.h"

namespace vernalo {

struct ExportVoiceChoice {
    ExportVoice voice;
    // The speaker of the built-in voice that reads instead of the voice named, which cannot
    // write files (the speech service's); none when the voice named writes them.
    std::optional<std::u16string> replacedBy;
};

// The voice that writes `language`'s files for the voice whose speaker is `speakerName`, at
// `speed` (kept within kMinSpeed..kMaxSpeed). A voice of the built-in engine or of an
// installed one writes them itself; any other gives way to the language's first built-in
// voice, as does no name at all (which replaces nothing).
ExportVoiceChoice ExportVoiceFor(const std::u16string& speakerName, Language language, int speed);

// The same among the voices given: the built-in engine's modes and the installed engines'.
ExportVoiceChoice ExportVoiceFor(const std::u16string& speakerName, Language language, int speed,
                                 const std::vector<EspeakMode>& builtIn,
                                 const std::vector<DrivenMode>& installed);

// One file per chapter for `request`'s text, cut at its top-level `headings` (positions
// counted from the text's start). The book's `title` names the text before the first chapter
// and is every file's album; a book without one goes by `fallbackTitle` (the file's name).
void CutByChapters(ExportRequest& request, const std::vector<HeadingMark>& headings,
                   const std::string& title, const std::string& fallbackTitle);

// A book's details in every file's tags: its author as the artist, its title as the album
// (unless one is set), its language, year and cover. A text that names none changes nothing.
void TagBook(ExportRequest& request, const std::string& title, const BookDetails& book);

}  // namespace vernalo
