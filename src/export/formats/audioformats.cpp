#include <algorithm>
#include <cctype>
#include <filesystem>

#include "export/formats/audioformat.h"

namespace vernalo {

const AudioFormat* FormatForSuffix(std::string_view suffix) {
    if (suffix.starts_with('.')) suffix.remove_prefix(1);
    std::string lower(suffix);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const AudioFormat* format : AudioFormats())
        for (const char* s : format->suffixes)
            if (lower == s) return format;
    return nullptr;
}

const AudioFormat* FormatForPath(const std::string& path) {
    const std::string suffix = std::filesystem::path(path).extension().string();
    return suffix.empty() ? nullptr : FormatForSuffix(suffix);
}

std::string KnownSuffixes() {
    const auto formats = AudioFormats();
    std::string out;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (i > 0) out += i + 1 == formats.size() ? " or " : ", ";
        out += std::string(".") + formats[i]->suffixes.front();
    }
    return out;
}

}  // namespace vernalo
