// Text decoding as every file is read: the detected encoding, the UTF-8 and UTF-16
// conversions both ways, Windows-1251 both ways, and line-break normalisation.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzzcheck.h"
#include "text/codepage.h"
#include "text/documenttext.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

// The bytes as UTF-16LE units, so that every unit, lone surrogates included, comes up.
std::u16string Units(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return units;
}

// What the UTF-8 round trip gives a UTF-16 text: unpaired surrogates become U+FFFD.
std::u16string WithoutLoneSurrogates(std::u16string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (high || low) {
            text[i] = u'\uFFFD';
        }
    }
    return text;
}

}  // namespace
}  // namespace vernalo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const bool valid = IsValidUtf8(bytes);
    const std::u16string fromUtf8 = Utf8ToUtf16(bytes);
    const std::string backToUtf8 = Utf16ToUtf8(fromUtf8);
    FUZZ_CHECK(IsValidUtf8(backToUtf8), "decoded text writes as valid UTF-8");
    if (valid) FUZZ_CHECK(backToUtf8 == bytes, "valid UTF-8 survives a round trip");

    const std::u16string units = Units(bytes);
    const std::string utf8 = Utf16ToUtf8(units);
    FUZZ_CHECK(IsValidUtf8(utf8), "any UTF-16 writes as valid UTF-8");
    FUZZ_CHECK(Utf8ToUtf16(utf8) == WithoutLoneSurrogates(units), fuzz::Show(units));

    // Windows-1251 holds every byte: decoding and encoding again gives the bytes back.
    const std::u16string cp1251 = DecodeCp1251(bytes);
    FUZZ_CHECK(cp1251.size() == bytes.size(), "one unit per byte");
    const auto encoded = TryEncodeCp1251(cp1251);
    FUZZ_CHECK(encoded && *encoded == bytes, "Windows-1251 round trip");
    FUZZ_CHECK(EncodeCp1251(cp1251) == bytes, "Windows-1251 round trip with replacement");
    for (char16_t u : units) {
        const int b = UnicodeToCp1251(u);
        FUZZ_CHECK(b < 0 || (b < 256 && Cp1251ToUnicode(static_cast<std::uint8_t>(b)) == u),
                   fuzz::Show(std::u16string(1, u)));
    }
    const auto encodedUnits = TryEncodeCp1251(units);
    if (encodedUnits) FUZZ_CHECK(DecodeCp1251(*encodedUnits) == units, fuzz::Show(units));

    std::size_t bom = 99;
    const TextEncoding encoding = DetectEncoding(bytes, &bom);
    FUZZ_CHECK(bom <= 3 && bom <= bytes.size(), std::to_string(bom));
    const DecodedText decoded = DecodeBytes(bytes);
    FUZZ_CHECK(decoded.encoding == encoding, "DecodeBytes detects as DetectEncoding does");
    if (encoding == TextEncoding::Utf8) FUZZ_CHECK(valid && decoded.text == fromUtf8, "");
    if (encoding == TextEncoding::Cp1251) FUZZ_CHECK(!valid && decoded.text == cp1251, "");

    const DecodedText file = DecodeTextFile(bytes);
    FUZZ_CHECK(file.encoding == encoding, "");
    FUZZ_CHECK(file.text.find(u'\r') == std::u16string::npos, "no CR is left");
    std::u16string normalized = decoded.text;
    NormalizeLineBreaks(normalized);
    FUZZ_CHECK(normalized == file.text, "");
    std::u16string again = file.text;
    NormalizeLineBreaks(again);
    FUZZ_CHECK(again == file.text, "normalising twice changes nothing");

    // Documents: detection among the Russian encodings agrees with the decoding, refuses
    // nothing that is valid UTF-8 without NUL bytes, and leaves no CR.
    const DecodedDocument document = DecodeDocumentText(bytes);
    FUZZ_CHECK(document.encoding == DetectDocumentEncoding(bytes), "one detection");
    FUZZ_CHECK(document.isText() || document.text.empty(), "no text from a refused file");
    FUZZ_CHECK(document.text.find(u'\r') == std::u16string::npos, "no CR is left");
    if (valid && encoding == TextEncoding::Utf8 && bytes.find('\0') == std::string_view::npos &&
        document.isText())
        FUZZ_CHECK(document.text == file.text, "valid UTF-8 reads as UTF-8");
    return 0;
}
