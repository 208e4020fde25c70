#pragma once
// Sound files: mono, in the format the file's suffix names (formats/). Every file is written under
// a temporary name in its own folder and only takes its name when the whole export succeeded, so a
// cancelled or failed export leaves nothing behind.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "export/formats/audioformat.h"
#include "export/timeline.h"
#include "speech/audiooutput.h"

namespace vernalo {

// One file being written. Write is called from the synthesis thread; the first failure is
// kept and every later write is dropped.
class AudioFile {
public:
    // `path` is the name the file takes at the end.
    AudioFile(std::string path, const AudioFormat& format, AudioTags tags);
    ~AudioFile();  // removes the temporary file unless Commit ran
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    // False with `error` (naming the file and the system's reason) when it cannot be made.
    bool open(std::string* error);
    void write(const std::int16_t* samples, std::size_t count);
    // Completes the encoding with what the part's timeline says of it; false with `error` when
    // any write failed.
    bool close(const PartTimeline& part, std::string* error);
    // Moves the closed file to its name; false with `error` on failure.
    bool commit(std::string* error);

    const std::string& path() const { return path_; }
    const std::string& title() const { return tags_.title; }
    double seconds() const;
    // Samples a decoder plays before the first one written, once open.
    std::int64_t decodedLead() const { return encoder_ ? encoder_->decodedLead() : 0; }
    // A write failed: Close will say why.
    bool failed() const;

private:
    bool fail(const std::string& reason);

    std::string path_;
    std::string tempPath_;
    const AudioFormat& format_;
    AudioTags tags_;
    std::unique_ptr<AudioEncoder> encoder_;
    bool open_ = false;
    mutable std::mutex mutex_;
    std::size_t samples_ = 0;
    std::string error_;
    bool committed_ = false;
};

// A part of an export that is named for what it holds (a chapter) rather than numbered.
struct NamedPart {
    std::string path;
    std::string title;
    int track = 0;
};

// An export's files: one, or numbered parts ("book-01.mp3", "book-02.mp3"...) when split, or
// parts named as they start. Encoding runs on a thread of its own, beside the synthesis that
// writes here. The writer also tells where each piece begins and ends: each part is closed with
// its timeline, and the whole is kept for what is written beside the sound.
class AudioFileSet : public SampleSink {
public:
    AudioFileSet(std::string path, const AudioFormat& format, std::string title, bool numbered);
    ~AudioFileSet() override;  // as Abort unless Finish ran

    // Every part's tags but the title and track; set before Open.
    void setTags(AudioTags tags) { tags_ = std::move(tags); }
    // Makes the first file (named `first` when given) and starts the encoding thread.
    bool open(std::string* error, std::optional<NamedPart> first = std::nullopt);
    // The part under way ends after what was written so far; the next one follows, named
    // `next` when given.
    void nextPart(std::optional<NamedPart> next = std::nullopt);
    // Encodes what is left, closes the last part and gives every part its name; on failure
    // none keeps it, and `error` names the file and the reason.
    bool finish(std::string* error);
    // Stops and removes everything written.
    void abort();
    // A file could not be written: Finish will fail.
    bool failed() const;

    void write(const std::int16_t* samples, std::size_t count) override;

    // The timeline, from the writer's thread: a chapter begins here, a piece's sound begins
    // here, the piece begun last ends here with its words (samples counted from its start).
    void markChapter(std::string title, long textStart);
    void beginPiece(TimedPiece piece);
    void endPiece(const std::vector<TimedWord>& words);
    // What was written where, part by part; complete once finished.
    const Timeline& timeline() const { return timeline_; }

    // Of the sound written so far, queued for encoding or not.
    double partSeconds() const;
    double totalSeconds() const;
    std::vector<std::string> paths() const;
    // Each part's length in seconds and its title, once finished.
    std::vector<std::pair<double, std::string>> partLengths() const;

private:
    struct Block {
        std::vector<std::int16_t> samples;  // empty: the part under way ends here
        std::optional<NamedPart> name;      // the next part's name, when it has one
        PartTimeline ended;                 // what the ending part holds
    };
    std::string partPath(std::size_t number) const;
    NamedPart partName(std::size_t number, const std::optional<NamedPart>& name) const;
    bool startPart(std::string* error, const NamedPart& name);
    void encode();
    void stop();

    std::string path_;
    const AudioFormat& format_;
    std::string title_;
    AudioTags tags_;
    bool numbered_;
    std::vector<std::unique_ptr<AudioFile>> parts_;  // the encoding thread's while it runs
    Timeline timeline_;  // the writer's; its last part is the one being written

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> queue_;
    bool stop_ = false;
    std::string error_;       // the encoding thread's first failure
    std::size_t queued_ = 0;  // samples in the queue
    std::size_t partSamples_ = 0, totalSamples_ = 0;
    std::thread encoder_;
};

}  // namespace vernalo
