#include "text/codepage.h"

#include <array>

namespace vernalo {
namespace {

constexpr std::array<char16_t, 128> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

constexpr CharClass ByteKind(unsigned b) {
    // Ё and ё stand apart from the rest of the alphabet in the code page, but they are
    // letters: as other characters they split "мёд" for the voice into "мё" and a spelled "д".
    if (b >= 0xC0 || b == 0xA8 || b == 0xB8) return kRussianLetter;
    if ((b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A)) return kLatinLetter;
    if (b == 0x20 || b == 0x2C || b == 0x0A || b == 0x0D) return kSeparator;
    if (b == 0x2E || b == 0x21 || b == 0x3F || b == 0x3A || b == 0x3B || b == 0x28 || b == 0x29)
        return kSentenceStop;
    return kOtherChar;
}

// Reverse table for the units 0x80..0x2122 that the code page holds above ASCII,
// plus the kind of every unit, built once: classification is on the hot path.
struct Tables {
    std::array<std::int16_t, 0x2200> toByte{};
    std::array<CharClass, 0x10000> kind{};
    Tables() {
        toByte.fill(-1);
        for (unsigned b = 0; b < 0x80; ++b)
            toByte[b] = static_cast<std::int16_t>(b);
        for (unsigned i = 0; i < 128; ++i)
            toByte[kHigh[i]] = static_cast<std::int16_t>(0x80 + i);
        kind.fill(kOtherChar);
        for (unsigned u = 0; u < toByte.size(); ++u)
            if (toByte[u] >= 0) kind[u] = ByteKind(static_cast<unsigned>(toByte[u]));
        // Accented Latin letters are letters of the English voice's words ("café", "naïve"),
        // not breaks in them.
        for (unsigned u = 0xC0; u <= 0x24F; ++u)
            if (kind[u] == kOtherChar && u != 0xD7 && u != 0xF7) kind[u] = kLatinLetter;
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

char16_t Cp1251ToUnicode(std::uint8_t byte) {
    return byte < 0x80 ? static_cast<char16_t>(byte) : kHigh[byte - 0x80];
}

int UnicodeToCp1251(char16_t unit) {
    return unit < tables().toByte.size() ? tables().toByte[unit] : -1;
}

std::u16string DecodeCp1251(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = Cp1251ToUnicode(static_cast<std::uint8_t>(bytes[i]));
    return out;
}

std::string EncodeCp1251(std::u16string_view text, char replacement) {
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        int b = UnicodeToCp1251(text[i]);
        out[i] = b < 0 ? replacement : static_cast<char>(b);
    }
    return out;
}

std::optional<std::string> TryEncodeCp1251(std::u16string_view text) {
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        int b = UnicodeToCp1251(text[i]);
        if (b < 0) return std::nullopt;
        out[i] = static_cast<char>(b);
    }
    return out;
}

CharClass ClassifyChar(std::uint8_t byte) {
    return ByteKind(byte);
}

CharClass ClassifyChar(char16_t unit) {
    return tables().kind[unit];
}

const CharClass* CharClassTable() {
    return tables().kind.data();
}

}  // namespace vernalo
