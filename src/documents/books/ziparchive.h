#pragma once
// Reading members of a zip archive held in memory (EPUB books, zipped FB2), with caps
// that stop a small hostile archive from inflating into gigabytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vernalo {

struct ZipLimits {
    // All members read from one archive together.
    std::uint64_t totalBytes = std::uint64_t{1} << 30;
    // A member may inflate to this many times its compressed size, plus slackBytes:
    // ordinary text compresses 3-10 times, a bomb a thousand times.
    std::uint64_t maxRatio = 100;
    std::uint64_t slackBytes = std::uint64_t{1} << 20;
};

class ZipArchive {
public:
    // The bytes must outlive the archive. On failure returns null and sets `error`.
    static std::unique_ptr<ZipArchive> open(std::string_view bytes, std::string& error,
                                            ZipLimits limits = {});
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Member names in the archive's order.
    std::vector<std::string> names() const;
    bool contains(const std::string& name) const;
    // The size a member declares for itself inflated (0 when missing); only a hint.
    std::uint64_t declaredSize(const std::string& name) const;
    // Reads a whole member. False with `error` set when it is missing, damaged or
    // inflates beyond the limits.
    bool read(const std::string& name, std::string& out, std::string& error);

private:
    struct Impl;
    explicit ZipArchive(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace vernalo
