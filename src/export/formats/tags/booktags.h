#pragma once
// What a book adds to a file beyond the encoders' own tags, written once the sound is: the
// chapter marks of the file's timeline, the cover, the language and the year. MP3 gets ID3v2
// frames (CHAP with a CTOC, APIC, TLAN, TDRC), Ogg and FLAC Vorbis comments (CHAPTERnnn,
// METADATA_BLOCK_PICTURE, LANGUAGE) and FLAC its picture block.

#include <cstdint>
#include <string>

#include "export/formats/audioformat.h"

namespace vernalo {

enum class TaggedFile { Mp3, Flac, OggVorbis, OggOpus };

// Whether `tags` hold anything of the above: a file without is left as its encoder wrote it.
bool WantsBookTags(const AudioTags& tags);

// Adds them to the file open for reading and writing at `fd`, which it puts on the disk and
// closes. `leadSamples` (at the engine's rate) come before the timeline's first sample when the
// file plays: an encoder's delay. False with `error` on failure.
bool AddBookTags(int fd, TaggedFile kind, const AudioTags& tags, const PartTimeline& part,
                 std::int64_t leadSamples, std::string* error);

// "rus" for "ru" or "ru-RU": the three-letter code ID3 and MP4 take; empty when unknown.
std::string ThreeLetterLanguage(const std::string& language);

}  // namespace vernalo
