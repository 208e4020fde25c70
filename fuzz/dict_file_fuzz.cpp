// The dictionary file parser against the file format's rule, applied here to the decoded
// text unit by unit: the store holds exactly the entries the rule gives, last line winning.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "dict/dictfile.h"
#include "fuzzcheck.h"
#include "text/codepage.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

struct Expected {
    std::map<std::u16string, std::u16string> entries;
    std::size_t stored = 0;
};

// The store keeps text outside Windows-1251 as UTF-8, where an unpaired surrogate (only a
// UTF-16 file can hold one) becomes U+FFFD.
std::u16string Stored(const std::u16string& text) {
    return Utf8ToUtf16(Utf16ToUtf8(text));
}

// A line ends at CR LF only; the key is what comes before the first '='; in the value a
// further '=' is dropped and the unit after it taken as it is, unless that is a CR LF. The
// units are bytes, or UTF-16 units in a UTF-16 file; each key and value is decoded on its own.
template <typename Unit, typename Decode>
Expected ByTheRule(std::basic_string_view<Unit> text, Decode decode) {
    Expected e;
    std::basic_string<Unit> key, value;
    bool inValue = false;
    auto crlfAt = [&](std::size_t i) {
        return i + 1 < text.size() && text[i] == Unit('\r') && text[i + 1] == Unit('\n');
    };
    for (std::size_t i = 0; i < text.size();) {
        if (crlfAt(i)) {
            if (!key.empty() && !value.empty()) {
                e.entries[Stored(decode(key))] = Stored(decode(value));
                ++e.stored;
            }
            key.clear(), value.clear(), inValue = false;
            i += 2;
        } else if (text[i] == Unit('=')) {
            inValue = true;
            ++i;
            if (i < text.size() && !crlfAt(i)) value.push_back(text[i++]);
        } else {
            (inValue ? value : key).push_back(text[i++]);
        }
    }
    return e;
}

Expected ByTheRule(std::string_view bytes) {
    std::size_t bom = 0;
    switch (DetectEncoding(bytes, &bom)) {
        case TextEncoding::Cp1251:
            return ByTheRule(bytes, [](std::string_view s) { return DecodeCp1251(s); });
        case TextEncoding::Utf8:
        case TextEncoding::Utf8Bom:
            return ByTheRule(bytes.substr(bom), [](std::string_view s) { return Utf8ToUtf16(s); });
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE:
            break;
    }
    const std::u16string units = DecodeBytes(bytes).text;
    return ByTheRule(std::u16string_view(units),
                     [](std::u16string_view s) { return std::u16string(s); });
}

}  // namespace
}  // namespace vernalo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Dictionary dict;
    std::size_t lastDone = 0;
    const DictParseResult result =
        ParseDictionary(bytes, dict, [&](std::size_t done, std::size_t total) {
            // UTF-16 counts the units after the byte-order mark, so `total` can fall short.
            FUZZ_CHECK(done >= lastDone && done <= total && total <= bytes.size(),
                       std::to_string(done) + " of " + std::to_string(total));
            lastDone = done;
        });
    const DecodedText decoded = DecodeBytes(bytes);
    FUZZ_CHECK(result.encoding == decoded.encoding, "");

    const Expected expected = ByTheRule(bytes);
    FUZZ_CHECK(result.entriesStored == expected.stored,
               std::to_string(result.entriesStored) + " stored, " +
                   std::to_string(expected.stored) + " by the rule");
    FUZZ_CHECK(dict.size() == expected.entries.size(), std::to_string(dict.size()) + " entries, " +
                                                           std::to_string(expected.entries.size()) +
                                                           " by the rule");
    for (const auto& [key, value] : expected.entries) {
        const std::u16string found = dict.lookup(key);
        FUZZ_CHECK(found == value, fuzz::Show(key) + " gives " + fuzz::Show(found) +
                                       ", by the rule " + fuzz::Show(value));
    }

    // Parsing again into the filled store changes nothing: every line overwrites its own key.
    ParseDictionary(bytes, dict);
    FUZZ_CHECK(dict.size() == expected.entries.size(), "a second parse adds entries");
    return 0;
}
