#include "speech/driven/childprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace vernalo {

ChildProcess::~ChildProcess() {
    stop();
}

bool ChildProcess::start(const std::vector<std::string>& argv, std::string* error) {
    stop();
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0) return (*error = std::strerror(errno)), false;
    if (pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]), ::close(in[1]);
        return (*error = std::strerror(errno)), false;
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
        return (*error = std::strerror(errno)), false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // A group of its own, so that a shell's children (a user's pipeline) end with it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    const int status = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]), ::close(out[1]), ::close(err[1]);
    if (status != 0) {
        ::close(in[1]), ::close(out[0]), ::close(err[0]);
        *error = "cannot start " + argv[0] + ": " + std::strerror(status);
        return false;
    }
    pid_ = pid;
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    // A dead engine must show as a failed write, not kill the program.
    signal(SIGPIPE, SIG_IGN);
    return true;
}

bool ChildProcess::write(const std::string& bytes) {
    std::size_t done = 0;
    while (in_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(in_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return in_ >= 0;
}

void ChildProcess::closeInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
}

ChildProcess::Read ChildProcess::readUntil(std::string& out, std::string& err,
                                           std::chrono::steady_clock::time_point deadline,
                                           const std::function<bool()>& done) {
    while (!done || !done()) {
        const Read r = read(out, err, deadline);
        if (r != Read::Data) return r;
    }
    return Read::Data;
}

ChildProcess::Read ChildProcess::read(std::string& out, std::string& err,
                                      std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (out_ < 0 && err_ < 0) return Read::Closed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return Read::TimedOut;
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return Read::TimedOut;
        bool got = false;
        int* fd[2] = {&out_, &err_};
        std::string* into[2] = {&out, &err};
        for (int i = 0; i < 2; ++i) {
            if (*fd[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[65536];
            const ssize_t n = ::read(*fd[i], buffer, sizeof buffer);
            if (n > 0) {
                into[i]->append(buffer, static_cast<std::size_t>(n));
                got = true;
            } else if (n == 0 || errno != EINTR) {
                ::close(*fd[i]);
                *fd[i] = -1;
            }
        }
        if (got) return Read::Data;
    }
}

void ChildProcess::drainOutput(std::string& out) {
    while (out_ >= 0) {
        pollfd fd{out_, POLLIN, 0};
        if (::poll(&fd, 1, 0) <= 0) return;
        char buffer[65536];
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0) return;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

void ChildProcess::interrupt() {
    if (const pid_t pid = pid_; pid > 0) ::kill(-pid, SIGKILL);
}

void ChildProcess::stop() {
    closeInput();
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
    out_ = err_ = -1;
    if (const pid_t pid = pid_; pid > 0) {
        ::kill(-pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = 0;
}

bool ChildProcess::runOnce(const std::vector<std::string>& argv, const std::string& input,
                           std::chrono::steady_clock::time_point deadline, const std::string& who,
                           std::string& out, std::string& err, std::string* error) {
    if (!start(argv, error)) return false;
    write(input);
    closeInput();
    const bool timedOut = readUntil(out, err, deadline) == Read::TimedOut;
    stop();
    if (timedOut) *error = who + " gave no sound in time";
    return !timedOut;
}

}  // namespace vernalo
