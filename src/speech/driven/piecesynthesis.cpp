#include "speech/driven/piecesynthesis.h"

#include <algorithm>
#include <cmath>

#include "speech/samplesink.h"

namespace vernalo {

namespace {

// Silence kept before the speech of a piece (10 ms): Festival puts a quarter of a second there.
constexpr std::size_t kLeadKept = kSampleRate / 100;

}  // namespace

bool SynthesizePiece(const std::string& utf8, int speed, const EngineTurns& turns, bool trimLead,
                     SynthesizedPiece* piece, std::string* error) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        Synthesizer* engine = turns.take(attempt);
        if (!engine) return false;
        Pcm pcm;
        const bool ok = engine->synthesize(utf8, speed, &pcm, error,
                                           std::chrono::steady_clock::now() + kPieceTimeout);
        if (!turns.done(ok)) return false;
        if (!ok) continue;
        piece->samples = Resampled(pcm, kSampleRate);
        const std::size_t lead = trimLead ? LeadingSilence(piece->samples, kLeadKept) : 0;
        piece->samples.erase(piece->samples.begin(),
                             piece->samples.begin() + static_cast<std::ptrdiff_t>(lead));
        const auto at = [lead](double seconds) {
            return std::max<std::int64_t>(
                0, std::llround(seconds * kSampleRate) - static_cast<std::int64_t>(lead));
        };
        for (const WordTime& w : pcm.words)
            piece->words.push_back({at(w.start), at(w.end), {w.offset, w.length}});
        return true;
    }
    return false;
}

}  // namespace vernalo
