#pragma once
// Colours as the settings file stores them: 32-bit values with red in the low byte, blue in
// bits 16..23; 0x80000000 + index for a desktop (system) colour. Written by name where the
// table has one, else as "$" and eight upper-case hexadecimal digits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vernalo {

using ColorCode = std::uint32_t;

constexpr ColorCode kSystemColor = 0x80000000u;
constexpr ColorCode kWindowTextColor = kSystemColor + 8;
constexpr ColorCode kButtonFaceColor = kSystemColor + 15;
constexpr ColorCode kNoColor = 0x1FFFFFFFu;

constexpr ColorCode Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

// Decimal with an optional minus sign, or hexadecimal after "$"; blanks around are allowed.
// Empty optional when the text is no 32-bit integer.
std::optional<std::int32_t> ParseInteger(std::u16string_view text);

std::optional<ColorCode> ParseColor(std::u16string_view text);
std::u16string FormatColor(ColorCode color);

// The table's 42 names in order, for the tests and the display of system colours.
std::size_t ColorNameCount();
std::u16string_view ColorName(std::size_t i);
ColorCode ColorValue(std::size_t i);

bool IsSystemColor(ColorCode c);
int SystemColorIndex(ColorCode c);  // 0..24 for a system colour

}  // namespace vernalo
