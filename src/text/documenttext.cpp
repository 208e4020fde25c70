#include "text/documenttext.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <memory>

#include "text/codepage.h"
#include "text/codepagetable.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

// The detector and the plausibility check look at the start only: enough to be sure, and a
// big book is not scanned twice.
constexpr std::size_t kSampleBytes = 256 * 1024;

using ByteTable = std::array<char16_t, 256>;

// Unicode for each byte of the document's code page.
const ByteTable& TableFor(DocumentEncoding e) {
    switch (e) {
        case DocumentEncoding::Koi8R:
            return CodePageTable(20866).units;
        case DocumentEncoding::Cp866:
            return CodePageTable(866).units;
        case DocumentEncoding::Iso8859_5:
            return CodePageTable(28595).units;
        case DocumentEncoding::MacCyrillic:
            return CodePageTable(10007).units;
        default:
            return CodePageTable(1251).units;
    }
}

bool IsRussianLower(char16_t c) {
    return (c >= 0x0430 && c <= 0x044F) || c == 0x0451;
}
bool IsRussianUpper(char16_t c) {
    return (c >= 0x0410 && c <= 0x042F) || c == 0x0401;
}
// Punctuation Russian texts use above ASCII: neither for nor against a reading.
bool IsNeutral(char16_t c) {
    return c == 0x00A0 || c == 0x00AB || c == 0x00BB || c == 0x00B7 || c == 0x00B0 ||
           (c >= 0x2010 && c <= 0x2026) || c == 0x2116;
}

// How much the bytes read as Russian through `table`: lower-case letters and capitals that
// start a word count for it; a capital right after a lower-case letter and any character
// outside Russian count against it. Reading a text in the wrong Cyrillic code page swaps
// cases or lands on symbols, so the right page scores clearly higher.
long RussianScore(std::string_view bytes, const ByteTable& table) {
    long score = 0;
    bool prevLetter = false, prevLower = false;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            prevLetter = (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
            prevLower = false;
            continue;
        }
        const char16_t c = table[b];
        const bool lower = IsRussianLower(c), upper = IsRussianUpper(c);
        if (lower) {
            score += 1;
        } else if (upper) {
            if (prevLower)
                score -= 2;
            else if (!prevLetter)
                score += 1;
        } else if (!IsNeutral(c)) {
            score -= 2;
        }
        prevLetter = lower || upper;
        prevLower = lower;
    }
    return score;
}

DocumentEncoding FromDetectorName(std::string_view name) {
    if (name == "KOI8-R") return DocumentEncoding::Koi8R;
    if (name == "IBM866") return DocumentEncoding::Cp866;
    if (name == "ISO-8859-5") return DocumentEncoding::Iso8859_5;
    if (name == "MAC-CYRILLIC") return DocumentEncoding::MacCyrillic;
    return DocumentEncoding::Windows1251;
}

DocumentEncoding DetectCyrillic(std::string_view bytes) {
    const std::string_view sample = bytes.substr(0, kSampleBytes);
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
        uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), sample.data(), sample.size()) != 0)
        return DocumentEncoding::Windows1251;
    uchardet_data_end(detector.get());
    const char* name = uchardet_get_charset(detector.get());
    const DocumentEncoding guess = FromDetectorName(name ? name : "");
    if (guess == DocumentEncoding::Windows1251) return guess;
    // The detector gives no confidence; its answer is taken only when it reads as Russian
    // better than Windows-1251 does, so a short Windows-1251 text never turns into another.
    if (RussianScore(sample, TableFor(guess)) >
        RussianScore(sample, TableFor(DocumentEncoding::Windows1251)))
        return guess;
    return DocumentEncoding::Windows1251;
}

char16_t Unit(std::string_view bytes, std::size_t i, bool bigEndian) {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    return static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
}

// UTF-16 without a mark: nearly every unit is a character of a Latin or Cyrillic text.
bool LooksLikeUtf16(std::string_view bytes, bool bigEndian) {
    const std::size_t n = std::min(bytes.size(), kSampleBytes) / 2;
    if (n == 0) return false;
    std::size_t text = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = Unit(bytes, i, bigEndian);
        if (c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || (c >= 0x20 && c < 0x7F) ||
            (c >= 0xA0 && c <= 0x052F) || (c >= 0x2000 && c <= 0x206F) || c == 0x2116 ||
            c == 0x20AC)
            ++text;
    }
    return text * 20 >= n * 19;
}

// C0 controls other than the ones text files hold (tab, line breaks, form feed, the DOS
// end-of-file mark).
bool IsStrayControl(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\v' && c != u'\f' && c != u'\r' &&
            c != 0x1A) ||
           c == 0x7F;
}

// More than one character in eight a stray control: a program, an image or other data.
template <typename Units>
bool MostlyControls(const Units& units, std::size_t size) {
    const std::size_t n = std::min(size, kSampleBytes);
    std::size_t controls = 0;
    for (std::size_t i = 0; i < n; ++i)
        controls += IsStrayControl(units(i));
    return controls * 8 > n;
}

bool IsUtf16(DocumentEncoding e) {
    return e == DocumentEncoding::Utf16LE || e == DocumentEncoding::Utf16BE ||
           e == DocumentEncoding::Utf16LEBom || e == DocumentEncoding::Utf16BEBom;
}

std::size_t MarkLength(DocumentEncoding e) {
    switch (e) {
        case DocumentEncoding::Utf8Bom:
            return 3;
        case DocumentEncoding::Utf16LEBom:
        case DocumentEncoding::Utf16BEBom:
            return 2;
        default:
            return 0;
    }
}

DocumentEncoding DetectWithoutControlCheck(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return DocumentEncoding::Utf8Bom;
    if (bytes.starts_with("\xFF\xFE")) return DocumentEncoding::Utf16LEBom;
    if (bytes.starts_with("\xFE\xFF")) return DocumentEncoding::Utf16BEBom;
    if (std::memchr(bytes.data(), 0, bytes.size())) {
        if (LooksLikeUtf16(bytes, false)) return DocumentEncoding::Utf16LE;
        if (LooksLikeUtf16(bytes, true)) return DocumentEncoding::Utf16BE;
        return DocumentEncoding::NotText;
    }
    if (IsValidUtf8(bytes)) return DocumentEncoding::Utf8;
    return DetectCyrillic(bytes);
}

}  // namespace

std::string_view DocumentEncodingName(DocumentEncoding encoding) {
    // In the order of DocumentEncoding.
    static constexpr std::string_view kNames[] = {"UTF-8",
                                                  "UTF-8 with a byte-order mark",
                                                  "UTF-16LE with a byte-order mark",
                                                  "UTF-16BE with a byte-order mark",
                                                  "UTF-16LE",
                                                  "UTF-16BE",
                                                  "Windows-1251",
                                                  "KOI8-R",
                                                  "CP866",
                                                  "ISO-8859-5",
                                                  "Mac Cyrillic",
                                                  "not text"};
    static_assert(std::size(kNames) == static_cast<std::size_t>(DocumentEncoding::NotText) + 1);
    const auto i = static_cast<std::size_t>(encoding);
    return i < std::size(kNames) ? kNames[i] : kNames[std::size(kNames) - 1];
}

DocumentEncoding DetectDocumentEncoding(std::string_view bytes) {
    const DocumentEncoding e = DetectWithoutControlCheck(bytes);
    if (e == DocumentEncoding::NotText) return e;
    const std::string_view body = bytes.substr(MarkLength(e));
    if (IsUtf16(e)) {
        const bool big = e == DocumentEncoding::Utf16BE || e == DocumentEncoding::Utf16BEBom;
        if (MostlyControls([&](std::size_t i) { return Unit(body, i, big); }, body.size() / 2))
            return DocumentEncoding::NotText;
    } else {
        // Every code page here keeps ASCII's controls where they are, and so does UTF-8.
        if (std::memchr(body.data(), 0, body.size()) ||
            MostlyControls([&](std::size_t i) { return static_cast<char16_t>(body[i]); },
                           body.size()))
            return DocumentEncoding::NotText;
    }
    return e;
}

DecodedDocument DecodeDocumentText(std::string_view bytes) {
    DecodedDocument result;
    result.encoding = DetectDocumentEncoding(bytes);
    const std::string_view body = bytes.substr(MarkLength(result.encoding));
    switch (result.encoding) {
        case DocumentEncoding::NotText:
            return result;
        case DocumentEncoding::Utf8:
        case DocumentEncoding::Utf8Bom:
            result.text = Utf8ToUtf16(body);
            break;
        case DocumentEncoding::Windows1251:
            result.text = DecodeCp1251(body);
            break;
        case DocumentEncoding::Utf16LE:
        case DocumentEncoding::Utf16BE:
        case DocumentEncoding::Utf16LEBom:
        case DocumentEncoding::Utf16BEBom: {
            const bool big = result.encoding == DocumentEncoding::Utf16BE ||
                             result.encoding == DocumentEncoding::Utf16BEBom;
            result.text.resize(body.size() / 2);
            for (std::size_t i = 0; i < result.text.size(); ++i)
                result.text[i] = Unit(body, i, big);
            if (body.size() % 2) result.text.push_back(u'\uFFFD');
            break;
        }
        case DocumentEncoding::Koi8R:
        case DocumentEncoding::Cp866:
        case DocumentEncoding::Iso8859_5:
        case DocumentEncoding::MacCyrillic: {
            const ByteTable& table = TableFor(result.encoding);
            result.text.resize(body.size());
            for (std::size_t i = 0; i < body.size(); ++i)
                result.text[i] = table[static_cast<unsigned char>(body[i])];
            break;
        }
    }
    NormalizeLineBreaks(result.text);
    return result;
}

}  // namespace vernalo
