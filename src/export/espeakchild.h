#pragma once
// The built-in engine in a process of its own. The library holds one engine per process, so an
// export reads the second language's pieces in a copy of the program, beside the program's own
// engine reading the first's: on another core, and with no voice switch (which reloads the
// language's whole dictionary) between two pieces.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "speech/driven/pcm.h"

namespace vernalo {

class EspeakChild {
public:
    // Called on a thread of this object's, in the order the process makes them.
    using Chunk = std::function<void(std::uint32_t piece, const std::int16_t*, std::size_t)>;
    // After a piece's last sound, with the times of its words.
    using Done = std::function<void(std::uint32_t piece, std::vector<WordTime> words)>;

    EspeakChild(Chunk chunk, Done done);
    ~EspeakChild();  // ends the process, whatever it was doing, and waits for it
    EspeakChild(const EspeakChild&) = delete;
    EspeakChild& operator=(const EspeakChild&) = delete;

    // Starts the process; false with `error` when it cannot.
    bool start(std::string* error);
    // Queues a piece in `voice` (the library's name) at `rate` words per minute.
    void submit(std::uint32_t piece, const std::string& voice, int rate, const std::string& text);
    // Why the process stopped before making every piece it was given, or empty.
    std::string failure() const;

    // A word the engine reached in a text whose code points begin at `offsets` (UTF-16): at
    // `position` for `length` code points, sounding from `sample` of the text's sound. Its end
    // is not known yet (0).
    static WordTime WordAt(const std::vector<long>& offsets, int position, int length,
                           std::int64_t sample);

private:
    void receive();
    void fail(const std::string& why);

    Chunk chunk_;
    Done done_;
    int socket_ = -1;
    pid_t pid_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::string failure_;
    std::uint32_t pending_ = 0;    // pieces given and not yet done
    std::vector<WordTime> words_;  // of the piece being received: the process makes one at a time
};

}  // namespace vernalo
