#pragma once
// The settings file: an INI file edited in place, as the desktop's profile-file functions do.
//
// Section and key names match without regard to case; blanks around names and values are
// not part of them; a value is read up to 2047 characters. Writing keeps an existing key in
// its place, adds a new key at the end of its section and a new section at the end of the
// file, and never removes a key. Comment lines (';') and unknown lines are kept as they are.
// The file is Windows-1251 text; when a value cannot be held in it, or its bytes would read
// back as something else, the whole file is written as UTF-8 (with a byte-order mark where
// needed). Reading accepts both.

#include <string>
#include <string_view>
#include <vector>

namespace vernalo {

class IniFile {
public:
    static constexpr std::size_t kMaxValue = 2047;

    IniFile() = default;
    // Text of a file's bytes (decoded by byte-order mark, else UTF-8 if valid, else Windows-1251).
    static IniFile fromBytes(std::string_view bytes);
    // A missing file is an empty one; false (with `error`) only when it exists and cannot be read.
    static bool load(const std::string& path, IniFile& out, std::string* error = nullptr);

    std::u16string read(std::u16string_view section, std::u16string_view key,
                        std::u16string_view fallback) const;
    void write(std::u16string_view section, std::u16string_view key, std::u16string_view value);

    // The file's bytes in a form that reads back unchanged: Windows-1251; else UTF-8, with a
    // byte-order mark when Windows-1251 would misread or the text starts with U+FEFF; UTF-16
    // only for a lone surrogate. CR LF line ends.
    std::string toBytes() const;
    // Replaces the file atomically; false (with `error`) when that fails.
    bool save(const std::string& path, std::string* error = nullptr) const;

private:
    struct Located {
        std::size_t sectionLine;  // npos: no such section
        std::size_t keyLine;      // npos: no such key
        std::size_t sectionEnd;   // one past the last entry line of the section
    };
    Located locate(std::u16string_view section, std::u16string_view key) const;

    std::vector<std::u16string> lines_;
};

}  // namespace vernalo
