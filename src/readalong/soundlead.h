#pragma once
// Where the sound a player decodes from an export's file stands against the samples the
// export wrote: text timed beside the sound is moved by the difference.

#include <cstdint>
#include <filesystem>
#include <string>

#include "export/timeline.h"

namespace vernalo {

// Samples a decoder plays before the first one written into the file at `path`. An MP3 file
// as the export writes it (no gapless header) starts with the encoder's delay and the
// decoder's (576 and 529 samples at the export's rate); the other formats tell the decoder
// what to skip.
inline std::int64_t DecodedLead(const std::string& path) {
    std::string suffix = std::filesystem::path(path).extension().string();
    for (char& c : suffix)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return suffix == ".mp3" ? 576 + 529 : 0;
}

// `part` as its file sounds when decoded.
inline PartTimeline AsDecoded(PartTimeline part) {
    const std::int64_t lead = DecodedLead(part.path);
    if (lead == 0) return part;
    part.samples += lead;
    for (TimedChapter& c : part.chapters)
        c.start += lead;
    for (TimedPiece& p : part.pieces) {
        p.start += lead;
        p.end += lead;
        for (TimedWord& w : p.words) {
            w.start += lead;
            w.end += lead;
        }
    }
    return part;
}

}  // namespace vernalo
