#pragma once
// The recording of the test sound server's sink ($VERNALO_MONITOR, s16le 22050 Hz mono, made
// by the test services): what actually came out of the speakers.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "speech/audiooutput.h"

namespace vernalo::test {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

inline const char* Monitor() {
    return std::getenv("VERNALO_MONITOR");
}

// One sink is shared by every test process: one test at a time may sound on it. Held from
// construction to destruction, through a lock on a file beside the recording.
class SinkLock {
public:
    SinkLock() : fd_(open((std::string(Monitor()) + ".lock").c_str(), O_CREAT | O_RDWR, 0600)) {
        if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~SinkLock() {
        if (fd_ >= 0) close(fd_);
    }
    SinkLock(const SinkLock&) = delete;
    SinkLock& operator=(const SinkLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_;
};

inline std::size_t MonitorSize() {
    std::error_code ec;
    auto n = std::filesystem::file_size(Monitor(), ec);
    return ec ? 0 : static_cast<std::size_t>(n);
}

inline std::vector<std::int16_t> MonitorSamples(std::size_t fromByte, std::size_t toByte) {
    std::ifstream f(Monitor(), std::ios::binary);
    fromByte &= ~std::size_t(1);
    f.seekg(static_cast<std::streamoff>(fromByte));
    std::vector<std::int16_t> s((toByte - fromByte) / 2);
    f.read(reinterpret_cast<char*>(s.data()), static_cast<std::streamsize>(s.size() * 2));
    s.resize(static_cast<std::size_t>(f.gcount()) / 2);
    return s;
}

// A sample above this is sound; the sink's monitor records silence as zeros.
inline constexpr int kLoud = 300;

// The recording from byte `from` on, once it ends in `quiet` of silence (after some sound, with
// `afterSound`), cut after its last loud sample. The recorder lags behind the device by a
// varying amount: only then is what was played before all recorded. Nothing when the recording
// did not go quiet within `limit`.
inline std::optional<std::vector<std::int16_t>> RecordingUntilQuiet(std::size_t from,
                                                                    std::chrono::milliseconds quiet,
                                                                    bool afterSound,
                                                                    Clock::duration limit = 10s) {
    const auto deadline = Clock::now() + limit;
    const auto quietSamples = static_cast<std::size_t>(kSampleRate * quiet.count() / 1000);
    for (;;) {
        std::vector<std::int16_t> s = MonitorSamples(from, MonitorSize());
        std::size_t end = s.size();  // one past the last loud sample
        while (end > 0 && std::abs(s[end - 1]) <= kLoud)
            --end;
        if ((end > 0 || !afterSound) && s.size() - end >= quietSamples) {
            s.resize(end);
            return s;
        }
        if (Clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(10ms);
    }
}

// How long the audio is loud: 50 ms windows well above the noise floor.
inline double LoudSeconds(const std::vector<std::int16_t>& s) {
    std::size_t loud = 0;
    for (std::size_t i = 0; i + 1102 <= s.size(); i += 1102)
        if (Rms(s.data() + i, 1102) > 300) ++loud;
    return static_cast<double>(loud) * 0.05;
}

// Waits until `seconds` of sound recorded after byte `from` are loud, or `limit` passes; how
// many loud seconds there were.
inline double WaitHeard(std::size_t from, double seconds, Clock::duration limit) {
    const auto start = Clock::now();
    double heard = LoudSeconds(MonitorSamples(from, MonitorSize()));
    while (heard < seconds && Clock::now() - start < limit) {
        std::this_thread::sleep_for(10ms);
        heard = LoudSeconds(MonitorSamples(from, MonitorSize()));
    }
    return heard;
}

// The index of the first loud sample, or the size when there is none.
inline std::size_t FirstLoud(const std::vector<std::int16_t>& s) {
    std::size_t i = 0;
    while (i < s.size() && std::abs(s[i]) <= kLoud)
        ++i;
    return i;
}

}  // namespace vernalo::test
