#pragma once
// Recoding of Russian text typed under DOS (code page 866) that was opened as Windows-1251:
// only the 64 letters А to я move; every other byte keeps its value.

#include <cstdint>
#include <string>
#include <string_view>

namespace vernalo {

// 0x80-0x9F to 0xC0-0xDF, 0xA0-0xAF to 0xE0-0xEF, 0xE0-0xEF to 0xF0-0xFF; the rest unchanged.
std::uint8_t DosToWinByte(std::uint8_t byte);

// Maps each character of the editor's text through its Windows-1251 byte; characters the
// code page cannot hold, and line breaks, stay as they are. The length never changes.
std::u16string DosToWin(std::u16string_view text);
void DosToWinInPlace(std::u16string& text);

}  // namespace vernalo
