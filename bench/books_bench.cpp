// Reads books into the editor's rich-text model and prints the time it takes.
//
//   books_bench [--runs N] FILE...
//
// Prints one line per file: bytes, paragraphs, characters, best and median milliseconds.
// bench/books_vs_pandoc.sh runs it beside pandoc and measures peak memory around it.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "documents/read.h"
#include "text/textcodec.h"

namespace {

// The file read whole, then read as the editor reads it: the time of both, as an open takes.
vernalo::ReadResult ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return vernalo::ReadDocument(bytes, vernalo::Utf8ToUtf16(path));
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: books_bench [--runs N] FILE...\n");
        return 2;
    }
    for (const std::string& file : files) {
        std::vector<double> ms;
        std::size_t paragraphs = 0, chars = 0;
        for (int r = 0; r < runs; ++r) {
            const auto start = std::chrono::steady_clock::now();
            const vernalo::ReadResult book = ReadFile(file);
            const auto end = std::chrono::steady_clock::now();
            if (!book.ok) {
                std::fprintf(stderr, "%s: %s\n", file.c_str(), book.error.c_str());
                return 1;
            }
            ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            paragraphs = book.document.paragraphCount();
            chars = book.document.text().size();
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%s bytes=%ju paragraphs=%zu chars=%zu best_ms=%.1f median_ms=%.1f\n",
                    file.c_str(), static_cast<std::uintmax_t>(std::filesystem::file_size(file)),
                    paragraphs, chars, ms.front(), ms[ms.size() / 2]);
    }
    return 0;
}
