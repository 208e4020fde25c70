#pragma once
// The sound formats an export writes, all behind one contract: what a format is called, its
// suffixes, what it can hold, and an encoder that opens on a file, takes samples and closes
// with the part's timeline. The build makes the list (formats/CMakeLists.txt); the suffix
// check, the messages, the save dialog and the command line all read from it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "export/timeline.h"

namespace vernalo {

// The words a file carries about itself.
struct AudioTags {
    std::string title;  // none at all when empty: the file is just its sound
    std::string artist = "Vernalo";
    std::string album;  // none when empty
    int track = 0;      // none when 0
    // What a book tells of itself, where the format has a place for it; none when empty.
    std::string language;  // as the book names it: "ru", "en-US"
    std::string year;
    std::string cover;      // the image's bytes
    std::string coverType;  // its MIME type: "image/jpeg", "image/png"
    // The file marks where each chapter of its timeline begins (closed with the timeline).
    bool chapterMarks = false;
};

// Encodes one file: mono 16-bit samples at kSampleRate in, the format's bytes out.
class AudioEncoder {
public:
    virtual ~AudioEncoder() = default;
    // Starts the file in `fd`, a new empty file that the encoder owns from here on: it is
    // closed by close() or by the destructor, also when open fails.
    virtual bool open(int fd, const AudioTags& tags) = 0;
    virtual bool write(const std::int16_t* samples, std::size_t count) = 0;
    // Ends the sound, writes what only the end knows (the part's chapters with their times,
    // where the format holds them) and closes the file once it is on the disk.
    virtual bool close(const PartTimeline& part) = 0;
    // Samples a decoder plays before the first one written, once open.
    virtual std::int64_t decodedLead() const { return 0; }
    // Why a call failed: the first reason.
    const std::string& error() const { return error_; }

protected:
    bool fail(std::string reason) {
        if (error_.empty()) error_ = std::move(reason);
        return false;
    }

private:
    std::string error_;
};

struct AudioFormat {
    const char* name;  // as the save dialog offers it: "Ogg Opus"
    // Lower case, without the dot; a new file gets the first.
    std::span<const char* const> suffixes;
    // What a file of it can hold besides the sound.
    bool tags = false;
    bool chapters = false;
    bool cover = false;
    std::unique_ptr<AudioEncoder> (*makeEncoder)();
};

// Every format of this build, in the order they are offered (the first for a new export).
std::span<const AudioFormat* const> AudioFormats();
// The format a suffix ("mp3", ".MP3") or a file name's suffix names, or null.
const AudioFormat* FormatForSuffix(std::string_view suffix);
const AudioFormat* FormatForPath(const std::string& path);
// The formats' first suffixes, for messages: ".mp3, .opus, .ogg, .flac or .wav".
std::string KnownSuffixes();

}  // namespace vernalo
