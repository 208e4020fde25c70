#pragma once
// The EPUB container: a zip archive whose first entry is its media type, stored as it is.

#include <string>
#include <vector>

namespace vernalo {

struct ContainerFile {
    std::string name;   // its path in the archive
    std::string bytes;  // its content, unless `source` names a file to take it from
    std::string source;
    bool compressed = true;  // sound is stored: it would not shrink
};

// Writes the archive at `path` whole or not at all: "mimetype" first and uncompressed, then
// META-INF/container.xml naming `packagePath`, then `files` in order. False with `error`.
bool WriteEpubContainer(const std::string& path, const std::string& packagePath,
                        const std::vector<ContainerFile>& files, std::string* error);

}  // namespace vernalo
