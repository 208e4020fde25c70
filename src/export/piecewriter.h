#pragma once
// The sound of an export's pieces, in the text's order, into its files: a part ends before a
// piece where a chapter begins (one file with chapter marks marks it there instead) or a split
// file has grown long enough, the pause after each repetition is written as silence, and the
// files' timeline records where each piece sounds.
// Called from one thread at a time, in the pieces' order.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/audiofile.h"
#include "export/pieceorder.h"
#include "speech/soundspan.h"

namespace vernalo {

struct ExportRequest;

class PieceWriter {
public:
    using Piece = PieceOrder::Piece;

    PieceWriter(AudioFileSet& files, const ExportRequest& request)
        : files_(files), request_(request) {}

    // The file a chapter starts: "NN - Title.ext" beside the export's path, track `track`.
    static NamedPart ChapterPart(const ExportRequest& request, std::size_t chapter, int track);
    // The files are open: the first chapter, if the export has chapters, begins here.
    void opened();

    // Before a piece's first samples: a part may end here.
    void begin(const Piece& piece);
    void write(const std::int16_t* samples, std::size_t count);
    // After its last samples, with the times its voice told of its words.
    void end(const Piece& piece, const std::vector<WordTime>& words);
    // The pause owed after the last piece: the last one is repeated after too.
    void finish() { payPause(); }

private:
    void payPause();

    AudioFileSet& files_;
    const ExportRequest& request_;
    int track_ = 1;
    // Silence owed after the last repetition, written before the next sound or at the end.
    std::int64_t owedSilence_ = 0;
    // The piece being written: its sound so far, for its pause; whether its sound began (the
    // pause before it is then paid), and how many of its quiet samples went to that pause.
    TimedPiece timed_;
    SoundSpan span_;
    bool sounded_ = false;
    std::int64_t leadIn_ = 0;
};

}  // namespace vernalo
