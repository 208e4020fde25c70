#pragma once
// Sound files: mono, in the format the file's suffix names, written through libsndfile (MP3
// through the encoder library itself). Every file is written under a temporary name in its own
// folder and only takes its name when the whole export succeeded, so a cancelled or failed
// export leaves nothing behind.

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

#include "export/mp3encoder.h"
#include "speech/audiooutput.h"

namespace vernalo {

enum class AudioFormat { Wav, Flac, Vorbis, Opus, Mp3 };

// The format for a file name's suffix (.wav, .flac, .ogg/.oga, .opus, .mp3), or none.
std::optional<AudioFormat> FormatForPath(const std::string& path);
// The suffixes FormatForPath knows, for messages.
const char* KnownSuffixes();

// One file being written. Write is called from the synthesis thread; the first failure is
// kept and every later write is dropped.
class AudioFile {
public:
    // `path` is the name the file takes at the end; `title` goes into the tags.
    AudioFile(std::string path, AudioFormat format, std::string title);
    ~AudioFile();  // removes the temporary file unless Commit ran
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    // The album and track tags, set before Open; none when empty and 0.
    void setAlbum(std::string album, int track) {
        album_ = std::move(album);
        track_ = track;
    }
    // False with `error` (naming the file and the system's reason) when it cannot be made.
    bool open(std::string* error);
    void write(const std::int16_t* samples, std::size_t count);
    // Completes the encoding; false with `error` when any write failed.
    bool close(std::string* error);
    // Moves the closed file to its name; false with `error` on failure.
    bool commit(std::string* error);

    const std::string& path() const { return path_; }
    const std::string& title() const { return title_; }
    double seconds() const;
    // A write failed: Close will say why.
    bool failed() const;

private:
    bool fail(const std::string& reason);
    bool writeResampled(const std::int16_t* samples, std::size_t count, bool last);
    bool openMp3(int fd);
    bool closeMp3();

    std::string path_;
    std::string tempPath_;
    AudioFormat format_;
    std::string title_;
    std::string album_;
    int track_ = 0;
    void* sndfile_ = nullptr;    // SNDFILE*
    void* resampler_ = nullptr;  // SRC_STATE*, for formats that cannot take the engine's rate
    // MP3 goes through the encoder library itself: libsndfile fixes it at its slowest
    // quality setting, which takes several times as long as the synthesis.
    std::unique_ptr<Mp3Encoder> mp3_;
    std::FILE* mp3File_ = nullptr;
    int fileRate_ = kSampleRate;
    std::vector<float> in_, out_;
    mutable std::mutex mutex_;
    std::size_t samples_ = 0;
    std::string error_;
    bool committed_ = false;
};

// Where both voices of an export write: the file of the part under way. A voice is busy only
// while it synthesizes, since the file takes the audio as fast as it comes.
class FileShare : public SampleSink {
public:
    explicit FileShare(SampleSink& file) : file_(file) {}
    void write(const std::int16_t* samples, std::size_t count) override {
        file_.write(samples, count);
    }

private:
    SampleSink& file_;
};

// A part of an export that is named for what it holds (a chapter) rather than numbered.
struct NamedPart {
    std::string path;
    std::string title;
    int track = 0;
};

// An export's files: one, or numbered parts ("book-01.mp3", "book-02.mp3"...) when split, or
// parts named as they start. Encoding runs on a thread of its own, beside the synthesis that
// writes here.
class AudioFileSet : public SampleSink {
public:
    AudioFileSet(std::string path, AudioFormat format, std::string title, bool numbered);
    ~AudioFileSet() override;  // as Abort unless Finish ran

    // Every part's album tag; set before Open.
    void setAlbum(std::string album) { album_ = std::move(album); }
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

    // Of the sound written so far, queued for encoding or not.
    double partSeconds() const;
    double totalSeconds() const;
    std::vector<std::string> paths() const;
    // Each part's length in seconds and its title, once finished.
    std::vector<std::pair<double, std::string>> partLengths() const;

private:
    struct Block {
        std::vector<std::int16_t> samples;  // empty: the next part begins here
        std::optional<NamedPart> name;      // that part's name, when it has one
    };
    std::string partPath(std::size_t number) const;
    bool startPart(std::string* error, const std::optional<NamedPart>& name);
    void encode();
    void stop();

    std::string path_;
    AudioFormat format_;
    std::string title_;
    std::string album_;
    bool numbered_;
    std::vector<std::unique_ptr<AudioFile>> parts_;  // the encoding thread's while it runs

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
