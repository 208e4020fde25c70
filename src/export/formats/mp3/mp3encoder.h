#pragma once
// MP3 made by several encoders at once. One encoder is slower than the synthesis that feeds
// it, so it alone would set an export's time. The sound is cut into stretches of some seconds,
// each cut inside a pause, and every stretch is encoded by an encoder of its own on a worker
// thread; their frames follow each other in the file, which players take as one stream.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vernalo {

struct Mp3Settings {
    int rate = 22050;
    int kilobitsPerSecond = 48;
    int quality = 7;  // the encoder's speed against care, 0 (best) to 9 (fastest)
    std::string title;
    std::string artist;
    std::string album;  // none when empty
    int track = 0;      // none when 0
    // A stretch is cut in a pause after this many samples: at once in one long enough to take
    // the join, else in the longest pause of the next `seekSamples`.
    std::size_t stretchSamples = 22050 * 30;
    std::size_t seekSamples = 22050 * 30;
    unsigned workers = 0;  // 0: one per processor, at most four
};

class Mp3Encoder {
public:
    // Writes to `out`, which stays the caller's to close.
    Mp3Encoder(std::FILE* out, Mp3Settings settings);
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // Checks the settings and writes the leading tag. False with reason() on failure.
    bool start();
    // Takes sound in order; may wait while the workers catch up. False once anything failed.
    bool write(const std::int16_t* samples, std::size_t count);
    // Encodes what is left and writes it with the closing tag.
    bool finish();
    const std::string& reason() const { return reason_; }
    // The encoder's delay in samples: silence it puts before the sound.
    std::size_t delay() const { return delay_; }
    // How many stretches the sound was cut into so far.
    std::size_t stretches() const { return stretchCount_; }

private:
    struct Stretch {
        std::vector<std::int16_t> sound;
        std::vector<unsigned char> mp3;
        bool taken = false, done = false;
        std::string error;
    };
    // A lame_global_flags* set up for a stretch, with the file's tags when `tagged`.
    void* newEncoder(std::string* error, bool tagged) const;
    void work();
    // What a stretch of this many samples and the start of the next add to the sound: that
    // much of the pause at the cut is left out, so the reading keeps its length.
    std::size_t joinSamples(std::size_t samples) const;
    // Ends the stretch in the pause of `pause` samples that ends `pauseEnd` samples into it.
    bool cut(std::size_t pauseEnd, std::size_t pause);
    void submit();
    // Writes the stretches done at the front; with `all`, waits for every one.
    bool drain(bool all);
    bool fail(std::string reason);
    bool put(const std::vector<unsigned char>& bytes);

    std::FILE* out_;
    Mp3Settings settings_;
    std::vector<unsigned char> closingTag_;
    std::string reason_;

    // The stretch being gathered, and how it may be cut.
    std::vector<std::int16_t> gathering_;
    std::size_t quietRun_ = 0;                      // quiet samples at its end
    std::size_t bestPause_ = 0, bestPauseEnd_ = 0;  // its longest pause past the length sought
    std::size_t toSkip_ = 0;                        // quiet samples still to drop from its start
    std::size_t delay_ = 0, frameSize_ = 576;       // the encoder's, in samples
    std::size_t stretchCount_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Stretch>> stretches_;  // in the file's order
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace vernalo
