#include "text/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

namespace vernalo {

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    auto fail = [&] {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    };
    if (!f) return fail();
    // A folder opens like a file here, and its "size" is no size at all.
    struct stat st;
    if (::fstat(::fileno(f.get()), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return fail();
    }
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return fail();
    long size = std::ftell(f.get());
    if (size < 0 || std::fseek(f.get(), 0, SEEK_SET) != 0) return fail();
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f.get());
    if (got != bytes.size() && std::ferror(f.get())) return fail();
    bytes.resize(got);
    return true;
}

namespace {

std::uint64_t Random() {
    static std::atomic<std::uint64_t> counter{0};
    static const std::uint64_t seed =
        std::random_device{}() ^ static_cast<std::uint64_t>(::getpid());
    std::uint64_t x = seed + 0x9E3779B97F4A7C15ULL * ++counter;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// The file a path names once every symbolic link in its last step is followed: the rename
// below would otherwise put a plain file in place of the link and leave its target as it was.
// A link to a file not made yet leads to where that file will be.
std::string FollowLinks(const std::string& path) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) break;
        target.resize(static_cast<std::size_t>(n));
        if (target.front() != '/') {
            const std::size_t slash = p.rfind('/');
            target = (slash == std::string::npos ? std::string() : p.substr(0, slash + 1)) + target;
        }
        p = std::move(target);
    }
    return p;
}

}  // namespace

bool WriteFileAtomically(const std::string& linkOrPath, std::string_view bytes,
                         std::string* error) {
    const std::string path = FollowLinks(linkOrPath);
    std::string tmp = path + ".XXXXXX";
    auto fail = [&](int fd) {
        int err = errno;
        if (fd >= 0) ::close(fd);
        if (fd >= 0) ::unlink(tmp.c_str());
        if (error) *error = path + ": " + std::strerror(err);
        return false;
    };
    // A new file gets 0666 less the umask from the kernel itself: asking for the umask means
    // setting it, which for a moment would let files of other threads be made world-writable.
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        const std::uint64_t r = Random();
        static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (std::size_t i = 0; i < 6; ++i)
            tmp[tmp.size() - 6 + i] = kChars[(r >> (6 * i)) % 36];
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return fail(-1);
    // Keep the old file's permissions.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(fd);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(fd);
    if (::close(fd) != 0) {
        fd = -1;
        int err = errno;
        ::unlink(tmp.c_str());
        errno = err;
        return fail(-1);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        errno = err;
        return fail(-1);
    }
    return true;
}

}  // namespace vernalo
