#pragma once
// Subtitles of one sound file of an export, made from its timeline: one cue for each time a
// piece is spoken, showing the piece's text as the document has it while its sound plays.

#include <optional>
#include <string>
#include <string_view>

#include "export/timeline.h"

namespace vernalo {

enum class SubtitleFormat { Srt, WebVtt, Lrc };

// "srt", "vtt" or "lrc" (as the files end); none for any other name.
std::optional<SubtitleFormat> SubtitleFormatNamed(std::string_view name);
std::string_view SubtitleSuffix(SubtitleFormat format);

// The subtitles of `part` in `format` (UTF-8), times relative to the part's file. `text` is
// the text that was read, into which the timeline's spans point.
//   SRT: numbered cues, "HH:MM:SS,mmm --> HH:MM:SS,mmm".
//   WebVTT: a WEBVTT header; where the voice told word times, a <HH:MM:SS.mmm> timestamp
//     before each word after the cue's start; & < > escaped.
//   LRC: "[mm:ss.xx]text" lines, the part's title as [ti:], an empty line where the last cue
//     ends, so that its text goes when its sound does.
// A cue's text is one line: runs of blanks and line breaks become one blank. A repetition is a
// cue of its own; the pause after a piece shows no text.
std::string SubtitleText(SubtitleFormat format, const PartTimeline& part,
                         const std::u16string& text);

// "dir/x.srt" for "dir/x.mp3".
std::string SubtitlePathFor(const std::string& soundPath, SubtitleFormat format);

}  // namespace vernalo
