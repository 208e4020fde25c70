#pragma once
// Subtitles written beside the files of a finished audio export, one for each file.

#include <string>
#include <vector>

#include "export/audioexport.h"
#include "readalong/subtitles/subtitles.h"

namespace vernalo {

// Writes, for each file of the successful export `result` of `text`, its subtitles beside it
// ("x.srt" beside "x.mp3"), timed as the file sounds when decoded, each file whole or not at
// all; `written` gets their paths. When one
// cannot be written the export is undone, as an export is whole or absent: its sound files,
// its playlist and the subtitles written before go, and `result` is no longer ok and says why.
bool WriteSubtitlesBeside(SubtitleFormat format, const std::u16string& text, ExportResult& result,
                          std::vector<std::string>* written = nullptr);

}  // namespace vernalo
