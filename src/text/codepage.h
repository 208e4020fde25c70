#pragma once
// Windows-1251, the code page the reading engine classifies text by, and the
// character classes the segmenter cuts words with.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vernalo {

// Unicode for one Windows-1251 byte. 0x98 has no character in the code page; it maps
// to U+0098 (as web browsers do) so that no byte of a file is lost.
char16_t Cp1251ToUnicode(std::uint8_t byte);

// The Windows-1251 byte for a UTF-16 unit, or -1 when the code page cannot hold it.
int UnicodeToCp1251(char16_t unit);

std::u16string DecodeCp1251(std::string_view bytes);
// Every unit the code page cannot hold becomes `replacement`.
std::string EncodeCp1251(std::u16string_view text, char replacement = '?');
// Empty optional when some unit cannot be held.
std::optional<std::string> TryEncodeCp1251(std::u16string_view text);

enum CharClass : std::uint8_t {
    kOtherChar = 0,
    kRussianLetter = 1,
    kLatinLetter = 2,
    kSeparator = 3,
    kSentenceStop = 4,
};

// A combining mark (U+0300..U+036F): it belongs to the letter before it. The acute, U+0301,
// marks the stressed vowel in Russian learning texts.
constexpr bool IsCombiningMark(char16_t unit) {
    return unit >= 0x0300 && unit <= 0x036F;
}

CharClass ClassifyChar(std::uint8_t byte);
// Classifies a unit by its Windows-1251 byte; a unit the code page cannot hold is kOtherChar.
CharClass ClassifyChar(char16_t unit);
// The same classification as a table indexed by unit, for loops over long texts.
const CharClass* CharClassTable();

}  // namespace vernalo
