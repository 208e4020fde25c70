#include "export/espeakchild.h"

#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>
#include <vector>

#include "speech/audiooutput.h"
#include "speech/espeakengine.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

// A piece asked for, followed by its voice's and its text's bytes.
struct Request {
    std::uint32_t piece;
    std::int32_t rate;
    std::uint32_t voiceSize;
    std::uint32_t textSize;
};

// Sound of a piece, followed by `count` samples; a count of kWord is followed by a Word, and
// one of kEnd ends the piece.
struct Reply {
    std::uint32_t piece;
    std::int32_t count;
};
constexpr std::int32_t kEnd = -1;
constexpr std::int32_t kWord = -2;

// A word of the piece: where it is in the text (UTF-16) and the sample where it begins.
struct Word {
    std::int32_t offset;
    std::int32_t length;
    std::int64_t sample;
};

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The copy's whole life: pieces in, sound out, until the program closes its end.
int ChildMain(int fd) {
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        std::signal(s, SIG_DFL);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Holding the program's other files open would keep their readers from seeing them end.
    if (fd > 3) ::close_range(3, static_cast<unsigned>(fd) - 1, 0);
    ::close_range(static_cast<unsigned>(fd) + 1, ~0U, 0);
    std::string voice;
    // The library hands over a few hundredths of a second at a time: sent in bigger blocks,
    // they cost the program one wake-up each.
    constexpr std::size_t kBlock = 32768;
    std::vector<std::int16_t> block;
    block.reserve(kBlock);
    Request request;
    while (ReadAll(fd, &request, sizeof request)) {
        EspeakEngine::Job job;
        job.voice.resize(request.voiceSize);
        job.text.resize(request.textSize);
        if (!ReadAll(fd, job.voice.data(), job.voice.size()) ||
            !ReadAll(fd, job.text.data(), job.text.size()))
            return 1;
        job.rate = request.rate;
        const std::vector<long> offsets = CodePointOffsets(Utf8ToUtf16(job.text));
        bool ok = true;
        const auto send = [&] {
            const Reply reply{request.piece, static_cast<std::int32_t>(block.size())};
            ok = ok && WriteAll(fd, &reply, sizeof reply) &&
                 WriteAll(fd, block.data(), block.size() * sizeof(std::int16_t));
            block.clear();
        };
        job.chunk = [&](const std::int16_t* samples, std::size_t count) {
            block.insert(block.end(), samples, samples + count);
            if (block.size() >= kBlock) send();
            return ok;
        };
        job.word = [&](int position, int length, std::int64_t sample) {
            const WordTime w = EspeakChild::WordAt(offsets, position, length, sample);
            const Reply reply{request.piece, kWord};
            const Word word{static_cast<std::int32_t>(w.offset),
                            static_cast<std::int32_t>(w.length), sample};
            ok = ok && WriteAll(fd, &reply, sizeof reply) && WriteAll(fd, &word, sizeof word);
        };
        EspeakEngine::synthesizeHere(job, voice);
        if (!block.empty()) send();
        const Reply end{request.piece, kEnd};
        if (!ok || !WriteAll(fd, &end, sizeof end)) return 1;
    }
    return 0;
}

}  // namespace

EspeakChild::EspeakChild(Chunk chunk, Done done)
    : chunk_(std::move(chunk)), done_(std::move(done)) {}

EspeakChild::~EspeakChild() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (reader_.joinable()) reader_.join();
    if (socket_ >= 0) ::close(socket_);
}

bool EspeakChild::start(std::string* error) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        *error =
            std::string("cannot start the speech engine's second process: ") + std::strerror(errno);
        return false;
    }
    pid_ = EspeakEngine::instance().forkIdle([fds] {
        ::close(fds[0]);
        return ChildMain(fds[1]);
    });
    const int forkError = errno;
    ::close(fds[1]);
    if (pid_ < 0) {
        ::close(fds[0]);
        *error = std::string("cannot start the speech engine's second process: ") +
                 std::strerror(forkError);
        return false;
    }
    socket_ = fds[0];
    reader_ = std::thread([this] { receive(); });
    return true;
}

void EspeakChild::submit(std::uint32_t piece, const std::string& voice, int rate,
                         const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        if (!failure_.empty()) return;
        ++pending_;
    }
    const Request request{piece, rate, static_cast<std::uint32_t>(voice.size()),
                          static_cast<std::uint32_t>(text.size())};
    if (!WriteAll(socket_, &request, sizeof request) ||
        !WriteAll(socket_, voice.data(), voice.size()) ||
        !WriteAll(socket_, text.data(), text.size()))
        fail("the speech engine's second process stopped taking text");
}

WordTime EspeakChild::WordAt(const std::vector<long>& offsets, int position, int length,
                             std::int64_t sample) {
    const auto at = [&offsets](int p) {
        return offsets.empty() ? 0L
                               : offsets[static_cast<std::size_t>(
                                     std::clamp(p, 0, static_cast<int>(offsets.size()) - 1))];
    };
    return {double(sample) / kSampleRate, 0, at(position), at(position + length) - at(position)};
}

std::string EspeakChild::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

void EspeakChild::fail(const std::string& why) {
    std::lock_guard lock(mutex_);
    if (failure_.empty()) failure_ = why;
}

void EspeakChild::receive() {
    std::vector<std::int16_t> samples;
    Reply reply;
    while (ReadAll(socket_, &reply, sizeof reply)) {
        if (reply.count == kWord) {
            Word word;
            if (!ReadAll(socket_, &word, sizeof word)) break;
            words_.push_back({double(word.sample) / kSampleRate, 0, word.offset, word.length});
            continue;
        }
        if (reply.count < 0) {
            {
                std::lock_guard lock(mutex_);
                --pending_;
            }
            done_(reply.piece, std::exchange(words_, {}));
            continue;
        }
        samples.resize(static_cast<std::size_t>(reply.count));
        if (!ReadAll(socket_, samples.data(), samples.size() * sizeof(std::int16_t))) break;
        chunk_(reply.piece, samples.data(), samples.size());
    }
    std::lock_guard lock(mutex_);
    if (pending_ > 0 && failure_.empty())
        failure_ = "the speech engine's second process ended unexpectedly";
}

}  // namespace vernalo
