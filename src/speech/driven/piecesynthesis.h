#pragma once
// One piece's synthesis with an installed engine, as both the reading voice and the export's
// threads run it: an engine that died or hung gets one more chance, made afresh.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "speech/driven/drivenmode.h"
#include "speech/voice.h"

namespace vernalo {

// How long an engine may stay silent on one piece before it counts as hung.
inline constexpr std::chrono::seconds kPieceTimeout{30};

// A word's sound, in samples of its piece at kSampleRate.
struct PieceWord {
    std::int64_t start;
    std::int64_t end;
    Voice::WordSpan span;
};

struct SynthesizedPiece {
    std::vector<std::int16_t> samples;  // at kSampleRate
    std::vector<PieceWord> words;       // from an engine that tells them
};

// How the caller keeps its engines around the attempts.
struct EngineTurns {
    // The engine for attempt 0, or for attempt 1 after a failure (one made afresh); nullptr
    // stops.
    std::function<Synthesizer*(int attempt)> take;
    // After each attempt, whether it succeeded (a failed engine is not to be used again);
    // false stops.
    std::function<bool(bool ok)> done;
};

// Synthesizes `utf8` at `speed` percent into `piece`, or gives false with `error` set by the
// engine's last attempt. With `trimLead` most of the silence an engine puts before the speech
// is cut off (a reading starts to sound sooner), the words' times following it.
bool SynthesizePiece(const std::string& utf8, int speed, const EngineTurns& turns, bool trimLead,
                     SynthesizedPiece* piece, std::string* error);

}  // namespace vernalo
