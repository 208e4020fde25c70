#pragma once
// Whole-file reads, and writes that never leave a truncated file behind.

#include <string>
#include <string_view>

namespace vernalo {

// Writes a temporary file in the same folder, flushes it to disk and renames it over `path`
// (over the file it links to, when `path` is a symbolic link).
// On failure the old file is untouched, the temporary file is removed and `error` says why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

bool FileExists(const std::string& path);

// Reads a whole file into memory with one read; false with `error` set on failure.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr);

}  // namespace vernalo
