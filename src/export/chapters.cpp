#include "export/chapters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "reading/sentenceend.h"

namespace vernalo {

namespace {

// Cuts UTF-8 at most `bytes` long without splitting a character.
void CutUtf8(std::string& s, std::size_t bytes) {
    if (s.size() <= bytes) return;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
        --end;
    s.resize(end);
}

}  // namespace

std::vector<ExportChapter> TopLevelChapters(const std::vector<HeadingMark>& headings,
                                            const std::u16string& text,
                                            const std::string& openingTitle) {
    const long size = static_cast<long>(text.size());
    int top = 0;
    for (const HeadingMark& h : headings)
        if (h.position >= 0 && h.position < size && (top == 0 || h.level < top)) top = h.level;
    std::vector<ExportChapter> out;
    for (const HeadingMark& h : headings) {
        if (h.level != top || h.position < 0 || h.position >= size) continue;
        if (!out.empty() && h.position <= out.back().start) continue;
        if (out.empty() && HoldsWord(text, 0, h.position)) out.push_back({0, openingTitle});
        out.push_back({out.empty() ? 0 : h.position, h.title});
    }
    if (out.empty()) out.push_back({0, openingTitle});
    return out;
}

std::string ChapterFileName(int number, int width, const std::string& title,
                            const std::string& suffix) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0*d", std::clamp(width, 1, 9), number);
    const std::string name = SafeFileName(title);
    std::string out = digits;
    if (!name.empty()) out += " - " + name;
    return out + suffix;
}

std::string SafeFileName(const std::string& title) {
    std::string name;
    bool blank = false;
    for (const char c : title) {
        const auto u = static_cast<unsigned char>(c);
        if (c == ' ' || c == '\t' || u < 0x20 || u == 0x7F) {
            blank = !name.empty();
            continue;
        }
        if (blank) name += ' ';
        blank = false;
        const bool unsafe = c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
                            c == '<' || c == '>' || c == '|';
        name += unsafe ? '_' : c;
    }
    CutUtf8(name, 200);
    // Some systems drop a name's closing dots and blanks.
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    return name;
}

std::string M3uPlaylist(const std::vector<PlaylistEntry>& entries) {
    std::string out = "#EXTM3U\n";
    for (const PlaylistEntry& e : entries) {
        std::string title;
        for (const char c : e.title)
            title += c == '\n' || c == '\r' ? ' ' : c;
        out += "#EXTINF:" + std::to_string(std::lround(e.seconds)) + "," + title + "\n";
        out += e.file + "\n";
    }
    return out;
}

}  // namespace vernalo
