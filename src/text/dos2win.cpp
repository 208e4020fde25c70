#include "text/dos2win.h"

#include "text/codepage.h"

namespace vernalo {

std::uint8_t DosToWinByte(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0xAF) return static_cast<std::uint8_t>(byte + 0x40);
    if (byte >= 0xE0 && byte <= 0xEF) return static_cast<std::uint8_t>(byte + 0x10);
    return byte;
}

void DosToWinInPlace(std::u16string& text) {
    for (char16_t& unit : text) {
        if (unit < 0x80) continue;
        const int byte = UnicodeToCp1251(unit);
        if (byte < 0) continue;
        unit = Cp1251ToUnicode(DosToWinByte(static_cast<std::uint8_t>(byte)));
    }
}

std::u16string DosToWin(std::u16string_view text) {
    std::u16string out(text);
    DosToWinInPlace(out);
    return out;
}

}  // namespace vernalo
