#pragma once
// Where the sound a player decodes from an export's file stands against the samples the
// export wrote (the lead its encoder told): text timed beside the sound is moved by it.

#include <cstdint>

#include "export/timeline.h"

namespace vernalo {

// `part` as its file sounds when decoded.
inline PartTimeline AsDecoded(PartTimeline part) {
    const std::int64_t lead = part.decodedLead;
    if (lead == 0) return part;
    part.decodedLead = 0;
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
