#pragma once
// What was said when in the sound an export writes: for each file (a part), its chapters and,
// for each repetition of each piece, where its text is, where its sound is and, where the
// voice told them, where its words are. Files that carry the text beside the sound (subtitles,
// chapter marks, read-along books) are written from it.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "reading/speechmap.h"
#include "speech/samplesink.h"
#include "text/language.h"

namespace vernalo {

// Sample positions are counted from the start of the part's file at the engine's rate.
struct TimedWord {
    std::int64_t start = 0;
    std::int64_t end = 0;
    TextSpan text;  // in the text that was read
};

struct TimedPiece {
    TextSpan text;
    Language language = Language::Russian;
    int repetition = 0;      // 0 the first time it is spoken
    std::int64_t start = 0;  // its first sound, after the quiet the engine leads in with
    std::int64_t end = 0;    // after its last sample
    std::vector<TimedWord> words;
};

struct TimedChapter {
    std::string title;
    long textStart = 0;
    std::int64_t start = 0;
};

struct PartTimeline {
    std::string path;  // the name the file has once the export succeeded
    std::string title;
    std::int64_t samples = 0;
    // Samples a decoder plays before the first one written (an MP3 file without a gapless
    // header starts with the encoder's and the decoder's delays): what a player hears is later
    // than these positions by so much.
    std::int64_t decodedLead = 0;
    std::vector<TimedChapter> chapters;
    std::vector<TimedPiece> pieces;
};

struct Timeline {
    std::vector<PartTimeline> parts;
};

// A sample position in whole milliseconds, rounded.
inline std::int64_t Milliseconds(std::int64_t samples) {
    return (samples * 1000 + kSampleRate / 2) / kSampleRate;
}

// "01:02:03.456": hours in `hourDigits` digits at least, minutes, seconds, then `decimal` and
// the milliseconds, as the formats written beside the sound spell a time.
inline std::string ClockText(std::int64_t milliseconds, char decimal = '.', int hourDigits = 2) {
    const auto ms = static_cast<long long>(milliseconds);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%0*lld:%02lld:%02lld%c%03lld", hourDigits, ms / 3600000,
                  ms / 60000 % 60, ms / 1000 % 60, decimal, ms % 1000);
    return buffer;
}

}  // namespace vernalo
