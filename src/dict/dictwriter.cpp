#include "dict/dictwriter.h"

#include "text/codepage.h"
#include "text/fileio.h"

namespace vernalo {
namespace {

bool HasLineBreak(std::u16string_view s) {
    return s.find_first_of(u"\r\n") != std::u16string_view::npos;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Stored forms are tag 0 + Windows-1251 bytes or tag 1 + UTF-8 (Dictionary::storedForm).
bool WritableStored(std::string_view key, std::string_view value) {
    key.remove_prefix(1);
    value.remove_prefix(1);
    return !key.empty() && !value.empty() && key.find('=') == std::string_view::npos &&
           !HasLineBreak(key) && !HasLineBreak(value);
}

void AppendValue(std::string& out, std::string_view value) {
    for (char c : value) {
        if (c == '=') out.push_back('=');
        out.push_back(c);
    }
}

void AppendUtf8(std::string& out, std::string_view stored, bool isValue) {
    const std::string_view body = stored.substr(1);
    std::string converted;
    std::string_view utf8 = body;
    if (stored[0] == 0) {
        bool ascii = true;
        for (unsigned char c : body)
            ascii = ascii && c < 0x80;
        if (!ascii) {
            converted = Utf16ToUtf8(DecodeCp1251(body));
            utf8 = converted;
        }
    }
    if (isValue)
        AppendValue(out, utf8);
    else
        out.append(utf8);
}

void AppendUtf16(std::string& out, std::u16string_view text, bool bigEndian) {
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    }
}

std::u16string EscapedValue(std::u16string_view value) {
    std::u16string out;
    for (char16_t c : value) {
        if (c == u'=') out.push_back(u'=');
        out.push_back(c);
    }
    return out;
}

}  // namespace

DictEntryProblem CheckDictEntry(std::u16string_view key, std::u16string_view value) {
    if (key.empty()) return DictEntryProblem::EmptyKey;
    if (value.empty()) return DictEntryProblem::EmptyValue;
    if (key.find(u'=') != std::u16string_view::npos) return DictEntryProblem::EqualsInKey;
    if (HasLineBreak(key) || HasLineBreak(value)) return DictEntryProblem::LineBreak;
    return DictEntryProblem::None;
}

std::string DictionaryFileBytes(const Dictionary& dict, TextEncoding wanted, TextEncoding* used) {
    const std::size_t n = dict.size();
    std::string out;
    if (wanted == TextEncoding::Cp1251) {
        bool fits = true;
        for (std::size_t i = 0; fits && i < n; ++i)
            fits = dict.storedKeyAt(i)[0] == 0 && dict.storedValueAt(i)[0] == 0;
        if (fits) {
            for (std::size_t i = 0; i < n; ++i) {
                const std::string_view k = dict.storedKeyAt(i), v = dict.storedValueAt(i);
                if (!WritableStored(k, v)) continue;
                out.append(k.substr(1)).push_back('=');
                AppendValue(out, v.substr(1));
                out.append("\r\n");
            }
            // The loader takes valid UTF-8 for UTF-8: Windows-1251 letters that happen to
            // form it would come back as other letters.
            bool ascii = true;
            for (unsigned char c : out)
                ascii = ascii && c < 0x80;
            if (ascii || !IsValidUtf8(out)) {
                if (used) *used = TextEncoding::Cp1251;
                return out;
            }
            out.clear();
        }
        wanted = TextEncoding::Utf8Bom;
    }
    if (wanted == TextEncoding::Utf16LE || wanted == TextEncoding::Utf16BE) {
        const bool be = wanted == TextEncoding::Utf16BE;
        out.append(be ? "\xFE\xFF" : "\xFF\xFE");
        for (std::size_t i = 0; i < n; ++i) {
            if (!WritableStored(dict.storedKeyAt(i), dict.storedValueAt(i))) continue;
            AppendUtf16(out, dict.keyAt(i), be);
            AppendUtf16(out, u"=", be);
            AppendUtf16(out, EscapedValue(dict.valueAt(i)), be);
            AppendUtf16(out, u"\r\n", be);
        }
        if (used) *used = wanted;
        return out;
    }
    if (wanted == TextEncoding::Utf8Bom) out.append("\xEF\xBB\xBF");
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view k = dict.storedKeyAt(i), v = dict.storedValueAt(i);
        if (!WritableStored(k, v)) continue;
        AppendUtf8(out, k, false);
        out.push_back('=');
        AppendUtf8(out, v, true);
        out.append("\r\n");
    }
    if (used) *used = wanted;
    return out;
}

bool SaveDictionaryFile(const std::string& path, const Dictionary& dict, TextEncoding wanted,
                        std::string* error, TextEncoding* used) {
    return WriteFileAtomically(path, DictionaryFileBytes(dict, wanted, used), error);
}

}  // namespace vernalo
