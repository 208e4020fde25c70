#pragma once
// Windows, DOS and other single- and double-byte code pages (those rich-text files name in
// \ansicpg and \fcharset, and the Russian ones plain texts come in), decoded through tables
// built once from iconv.

#include <array>
#include <cstdint>
#include <string>

namespace vernalo {

struct CodePageDecoder {
    int codePage = 1252;
    // Unicode for each byte; a byte the page leaves undefined keeps its own value so
    // that nothing is silently dropped.
    std::array<char16_t, 256> units{};
    // Lead bytes of the double-byte pages (932, 936, 949, 950, 1361).
    std::array<bool, 256> lead{};
    bool doubleByte = false;
};

// The decoder of a code page; an unknown page falls back to Windows-1252.
const CodePageDecoder& CodePageTable(int codePage);

// Appends the character of a double-byte pair (U+FFFD when the pair is invalid).
void DecodeDoubleByte(const CodePageDecoder& page, std::uint8_t lead, std::uint8_t trail,
                      std::u16string& out);

// The code page of an \fcharset value; `ansiCodePage` for DEFAULT_CHARSET and unknown sets.
int CharsetCodePage(int charset, int ansiCodePage);

}  // namespace vernalo
