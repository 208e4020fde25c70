#pragma once
// Decoding of text files (documents, dictionaries) and UTF-8/UTF-16 conversions.

#include <string>
#include <string_view>

namespace vernalo {

enum class TextEncoding { Cp1251, Utf8, Utf8Bom, Utf16LE, Utf16BE };

// A byte-order mark decides; else valid UTF-8 is UTF-8; else Windows-1251.
// `bomLength` receives the length of the mark found (0 without one).
TextEncoding DetectEncoding(std::string_view bytes, std::size_t* bomLength = nullptr);

bool IsValidUtf8(std::string_view bytes);
// Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The code point at text[i], a surrogate pair taken whole (i moves onto its second unit) and a
// lone surrogate read as U+FFFD.
inline char32_t CodePointAt(std::u16string_view text, std::size_t& i) {
    const char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
        ++i;
        return 0x10000 + ((c - 0xD800) << 10) + (text[i] - 0xDC00);
    }
    return c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c;
}

struct DecodedText {
    std::u16string text;
    TextEncoding encoding = TextEncoding::Utf8;
};

// Decodes a text file's bytes without touching line breaks (the mark is dropped).
DecodedText DecodeBytes(std::string_view bytes);
// Decodes a text file as the editor holds it: every CR LF, lone LF or lone CR becomes one '\n'.
DecodedText DecodeTextFile(std::string_view bytes);
// CR LF, LF and CR to '\n', in place.
void NormalizeLineBreaks(std::u16string& text);

// UTF-8 text made safe inside XML text and attribute values: & < > " as entities.
std::string XmlEscaped(std::string_view utf8);

}  // namespace vernalo
