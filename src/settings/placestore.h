#pragma once
// Where the reading of each document opened from a file stopped, kept between runs in
// data/places.txt: a document comes back at its place, unless it changed on disk since.
//
// One line a document, the newest first: size, modification time (ms since the epoch),
// position (0-based, UTF-16 units, as the editor counts) and the absolute path in UTF-8,
// separated by tabs. A line that does not read so is skipped: a damaged file costs only its
// damaged lines.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vernalo {

struct ReadingPlace {
    std::string path;  // absolute, UTF-8
    std::int64_t size = 0;
    std::int64_t modified = 0;  // ms since the epoch
    long position = 0;
};

class PlaceStore {
public:
    static constexpr std::size_t kMaxPlaces = 100;

    static PlaceStore fromText(std::string_view text);
    std::string toText() const;
    // A missing file is an empty store; false (with `error`) when it exists and cannot be read.
    static bool load(const std::string& path, PlaceStore& out, std::string* error = nullptr);
    // Replaces the file atomically; false (with `error`) when that fails.
    bool save(const std::string& path, std::string* error = nullptr) const;

    // The place kept for `path`, when the file still has that size and time.
    std::optional<long> find(std::string_view path, std::int64_t size, std::int64_t modified) const;
    // `place` goes first, replacing what was kept for its path; the oldest beyond
    // kMaxPlaces are forgotten. A path that cannot be held on one line is not kept.
    void remember(ReadingPlace place);

    const std::vector<ReadingPlace>& places() const { return places_; }

private:
    std::vector<ReadingPlace> places_;  // the newest first
};

inline std::string PlacesPath(const std::string& baseDir) {
    return baseDir + "/data/places.txt";
}

}  // namespace vernalo
