#include "dict/dictfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "text/codepage.h"
#include "text/fileio.h"

namespace vernalo {
namespace {

constexpr std::size_t kProgressStep = 1 << 20;

// Splits units into lines and entries; `store(key, value)` gets each entry's raw units.
template <typename Unit, typename Store>
std::size_t Split(const Unit* s, std::size_t n, Store store, const DictProgress& progress,
                  std::size_t unitBytes) {
    std::basic_string<Unit> key, value;
    bool inValue = false;
    std::size_t stored = 0, nextReport = kProgressStep;
    std::size_t i = 0;
    while (i < n) {
        const Unit c = s[i];
        if (c == Unit('\r') && i + 1 < n && s[i + 1] == Unit('\n')) {
            if (!key.empty() && !value.empty()) {
                store(key, value);
                ++stored;
            }
            key.clear();
            value.clear();
            inValue = false;
            i += 2;
            if (progress && i >= nextReport) {
                progress(i * unitBytes, n * unitBytes);
                nextReport = i + kProgressStep;
            }
        } else if (c == Unit('=')) {
            inValue = true;
            ++i;
            if (i < n && !(s[i] == Unit('\r') && i + 1 < n && s[i + 1] == Unit('\n')))
                value.push_back(s[i++]);
        } else {
            (inValue ? value : key).push_back(c);
            ++i;
        }
    }
    if (progress) progress(n * unitBytes, n * unitBytes);
    return stored;
}

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

DictParseResult ParseDictionary(std::string_view bytes, Dictionary& dict,
                                const DictProgress& progress) {
    DictParseResult result;
    const std::string_view whole = bytes;
    std::size_t bom = 0;
    result.encoding = DetectEncoding(bytes, &bom);
    bytes.remove_prefix(bom);
    std::string k, v;
    switch (result.encoding) {
        case TextEncoding::Cp1251:
            // The stored form of Windows-1251 text is its bytes behind a tag: no decoding.
            dict.reserve(0, bytes.size());  // the stored form is never longer than the file
            result.entriesStored = Split(
                bytes.data(), bytes.size(),
                [&](const std::string& key, const std::string& value) {
                    k.assign(1, '\0').append(key);
                    v.assign(1, '\0').append(value);
                    dict.assignStored(k, v);
                },
                progress, 1);
            break;
        case TextEncoding::Utf8:
        case TextEncoding::Utf8Bom:
            result.entriesStored = Split(
                bytes.data(), bytes.size(),
                [&](const std::string& key, const std::string& value) {
                    auto form = [](const std::string& s, std::string& out) {
                        if (IsAscii(s))
                            out.assign(1, '\0').append(s);
                        else
                            Dictionary::storedForm(Utf8ToUtf16(s), out);
                    };
                    form(key, k);
                    form(value, v);
                    dict.assignStored(k, v);
                },
                progress, 1);
            break;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: {
            std::u16string units = DecodeBytes(whole).text;
            result.entriesStored = Split(
                units.data(), units.size(),
                [&](const std::u16string& key, const std::u16string& value) {
                    Dictionary::storedForm(key, k);
                    Dictionary::storedForm(value, v);
                    dict.assignStored(k, v);
                },
                progress, 2);
            break;
        }
    }
    return result;
}

bool LoadDictionaryFile(const std::string& path, Dictionary& dict, DictParseResult* result,
                        std::string* error, const DictProgress& progress) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    DictParseResult r = ParseDictionary(bytes, dict, progress);
    if (result) *result = r;
    return true;
}

}  // namespace vernalo
