#pragma once
// A helper program run with pipes to its standard input and output (and error, which some
// engines use to say a piece is done). Killed and reaped with the object, so no engine
// outlives the voice that started it.

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vernalo {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `argv` (looked up on PATH); false with the reason when it cannot start.
    bool start(const std::vector<std::string>& argv, std::string* error);
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Writes all of `bytes` to its input; false when it has gone.
    bool write(const std::string& bytes);
    // Closes its input: engines that read to the end start then.
    void closeInput();

    enum class Read { Data, Closed, TimedOut };
    // Waits until its output or error stream has something, at most until `deadline`, and
    // appends what is there to `out` or `err`.
    Read read(std::string& out, std::string& err, std::chrono::steady_clock::time_point deadline);
    // Reads as `read` does until `done()` holds (Data), or, without `done`, until the engine
    // closes its output (Closed); TimedOut past `deadline`, Closed when it quits first.
    Read readUntil(std::string& out, std::string& err,
                   std::chrono::steady_clock::time_point deadline,
                   const std::function<bool()>& done = {});
    // Appends what its output holds now, without waiting.
    void drainOutput(std::string& out);

    // Kills it (if it still runs) and reaps it.
    void stop();
    // Kills it without reaping: safe from another thread, to end a read that waits on it.
    void interrupt();

    // Starts `argv`, gives it `input` and closes its input, then gathers what it writes until
    // it ends, and reaps it. False with the reason when it cannot start, or "`who` gave no
    // sound in time" past `deadline`.
    bool runOnce(const std::vector<std::string>& argv, const std::string& input,
                 std::chrono::steady_clock::time_point deadline, const std::string& who,
                 std::string& out, std::string& err, std::string* error);

private:
    std::atomic<pid_t> pid_ = 0;
    int in_ = -1, out_ = -1, err_ = -1;
};

}  // namespace vernalo
