#include "settings/placestore.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "text/fileio.h"

namespace vernalo {
namespace {

constexpr std::string_view kHeader =
    "# Vernalo reading places: size, modified (ms), position, path; the newest first\n";

template <typename T>
bool ParseNumber(std::string_view field, T& out) {
    const char* end = field.data() + field.size();
    const auto r = std::from_chars(field.data(), end, out);
    return r.ec == std::errc() && r.ptr == end && !field.empty();
}

// One line read back, or nothing when any field is missing or wrong.
std::optional<ReadingPlace> ParseLine(std::string_view line) {
    ReadingPlace p;
    std::string_view fields[3];
    for (std::string_view& f : fields) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        f = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    if (!ParseNumber(fields[0], p.size) || !ParseNumber(fields[1], p.modified) ||
        !ParseNumber(fields[2], p.position) || p.size < 0 || p.position < 0 || line.empty() ||
        line.front() != '/')
        return std::nullopt;
    p.path = std::string(line);
    return p;
}

}  // namespace

PlaceStore PlaceStore::fromText(std::string_view text) {
    PlaceStore store;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::optional<ReadingPlace> p = ParseLine(line);
        if (!p) continue;
        // The first line of a path is its newest place.
        const bool known = std::any_of(store.places_.begin(), store.places_.end(),
                                       [&](const ReadingPlace& q) { return q.path == p->path; });
        if (!known && store.places_.size() < kMaxPlaces) store.places_.push_back(std::move(*p));
    }
    return store;
}

std::string PlaceStore::toText() const {
    std::string text(kHeader);
    for (const ReadingPlace& p : places_)
        text += std::to_string(p.size) + '\t' + std::to_string(p.modified) + '\t' +
                std::to_string(p.position) + '\t' + p.path + '\n';
    return text;
}

bool PlaceStore::load(const std::string& path, PlaceStore& out, std::string* error) {
    out = PlaceStore();
    if (!FileExists(path)) return true;
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    out = fromText(bytes);
    return true;
}

bool PlaceStore::save(const std::string& path, std::string* error) const {
    // The data folder of a first run is made when something is first kept in it.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    return WriteFileAtomically(path, toText(), error);
}

std::optional<long> PlaceStore::find(std::string_view path, std::int64_t size,
                                     std::int64_t modified) const {
    for (const ReadingPlace& p : places_)
        if (p.path == path) {
            if (p.size != size || p.modified != modified) return std::nullopt;
            return p.position;
        }
    return std::nullopt;
}

void PlaceStore::remember(ReadingPlace place) {
    if (place.path.empty() || place.path.front() != '/' ||
        place.path.find_first_of("\r\n") != std::string::npos)
        return;
    std::erase_if(places_, [&](const ReadingPlace& p) { return p.path == place.path; });
    places_.insert(places_.begin(), std::move(place));
    if (places_.size() > kMaxPlaces) places_.resize(kMaxPlaces);
}

}  // namespace vernalo
