#include "text/textcodec.h"

#include <cstdint>

#include "text/codepage.h"

namespace vernalo {

namespace {

// Length of the valid UTF-8 sequence at p (< end), or 0 when it is invalid.
std::size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end, char32_t* cp) {
    unsigned c = p[0];
    if (c < 0x80) {
        *cp = c;
        return 1;
    }
    std::size_t len;
    char32_t v;
    char32_t min;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2, v = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, v = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, v = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (static_cast<std::size_t>(end - p) < len) return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        v = (v << 6) | (p[i] & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    *cp = v;
    return len;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto a = static_cast<unsigned char>(bytes[2 * i]);
        auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] = static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    if (bytes.size() % 2) out.push_back(u'\uFFFD');  // a cut-off last unit is not silently lost
    return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    auto end = p + bytes.size();
    char32_t cp;
    while (p < end) {
        // Runs of ASCII are the common case; skip them eight at a time.
        while (end - p >= 8) {
            std::uint64_t w;
            __builtin_memcpy(&w, p, 8);
            if (w & 0x8080808080808080ULL) break;
            p += 8;
        }
        if (p == end) break;
        std::size_t n = Utf8SequenceLength(p, end, &cp);
        if (!n) return false;
        p += n;
    }
    return true;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    auto end = p + bytes.size();
    char32_t cp;
    while (p < end) {
        if (*p < 0x80) {
            out.push_back(*p++);
            continue;
        }
        std::size_t n = Utf8SequenceLength(p, end, &cp);
        if (!n) {
            out.push_back(u'\uFFFD');
            ++p;
        } else {
            AppendCodePoint(out, cp);
            p += n;
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = CodePointAt(text, i);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

TextEncoding DetectEncoding(std::string_view bytes, std::size_t* bomLength) {
    std::size_t bom = 0;
    TextEncoding enc;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        enc = TextEncoding::Utf8Bom, bom = 3;
    } else if (bytes.starts_with("\xFF\xFE")) {
        enc = TextEncoding::Utf16LE, bom = 2;
    } else if (bytes.starts_with("\xFE\xFF")) {
        enc = TextEncoding::Utf16BE, bom = 2;
    } else {
        enc = IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp1251;
    }
    if (bomLength) *bomLength = bom;
    return enc;
}

DecodedText DecodeBytes(std::string_view bytes) {
    std::size_t bom = 0;
    DecodedText result;
    result.encoding = DetectEncoding(bytes, &bom);
    bytes.remove_prefix(bom);
    switch (result.encoding) {
        case TextEncoding::Cp1251:
            result.text = DecodeCp1251(bytes);
            break;
        case TextEncoding::Utf8:
        case TextEncoding::Utf8Bom:
            result.text = Utf8ToUtf16(bytes);
            break;
        case TextEncoding::Utf16LE:
            result.text = DecodeUtf16(bytes, false);
            break;
        case TextEncoding::Utf16BE:
            result.text = DecodeUtf16(bytes, true);
            break;
    }
    return result;
}

void NormalizeLineBreaks(std::u16string& text) {
    std::size_t w = 0;
    for (std::size_t r = 0; r < text.size(); ++r) {
        char16_t c = text[r];
        if (c == u'\r') {
            if (r + 1 < text.size() && text[r + 1] == u'\n') ++r;
            c = u'\n';
        }
        text[w++] = c;
    }
    text.resize(w);
}

DecodedText DecodeTextFile(std::string_view bytes) {
    DecodedText result = DecodeBytes(bytes);
    NormalizeLineBreaks(result.text);
    return result;
}

std::string XmlEscaped(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace vernalo
