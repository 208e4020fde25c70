// The settings file: parse, write, parse again keeps the value of every key, both for a file
// as it was read and after values have been written into it, and a value written reads back
// as it was given.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzzcheck.h"
#include "settings/inifile.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

struct Key {
    std::u16string section, name;
};

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t'))
        s.remove_suffix(1);
    return s;
}

// The section and key names the file's lines give, by the format's rules: "[name]" starts a
// section, "key=value" is an entry, ';' starts a comment.
std::vector<Key> KeysOf(std::u16string_view text) {
    std::vector<Key> keys;
    std::u16string section;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == text.npos) end = text.size();
        const std::u16string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        const std::size_t close = line.find(u']');
        if (line.size() >= 2 && line.front() == u'[' && close != line.npos) {
            section = Trim(line.substr(1, close - 1));
        } else if (!line.empty() && line.front() != u';' && line.find(u'=') != line.npos) {
            keys.push_back({section, std::u16string(Trim(line.substr(0, line.find(u'='))))});
        }
    }
    return keys;
}

constexpr std::u16string_view kAbsent = u"\x01absent";

std::string Describe(const Key& key, std::u16string_view before, std::u16string_view after,
                     const std::string& written) {
    return "[" + Utf16ToUtf8(key.section) + "] " + fuzz::Show(key.name) + ": " +
           fuzz::Show(before) + " became " + fuzz::Show(after) + "\nwritten as " + written;
}

// Every key reads the same from `ini` and from what its bytes parse back to.
void CheckRoundTrip(const IniFile& ini, const std::vector<Key>& keys) {
    const std::string written = ini.toBytes();
    const IniFile again = IniFile::fromBytes(written);
    for (const Key& key : keys) {
        const std::u16string before = ini.read(key.section, key.name, kAbsent);
        const std::u16string after = again.read(key.section, key.name, kAbsent);
        FUZZ_CHECK(before == after, Describe(key, before, after, written));
    }
}

}  // namespace
}  // namespace vernalo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = DecodeTextFile(bytes).text;
    std::vector<Key> keys = KeysOf(text);

    IniFile ini = IniFile::fromBytes(bytes);
    CheckRoundTrip(ini, keys);

    // Writing every key again, and the first line as the value of a new key.
    for (const Key& key : keys) {
        std::u16string value = ini.read(key.section, key.name, kAbsent);
        if (value == kAbsent) value = u"new";
        ini.write(key.section, key.name, value);
        const std::u16string read = ini.read(key.section, key.name, kAbsent);
        FUZZ_CHECK(read == value, Describe(key, value, read, "(not written)"));
    }
    const Key line{u"Fuzz", u"Line"};
    const std::u16string firstLine = text.substr(0, text.find(u'\n'));
    ini.write(line.section, line.name, firstLine);
    const std::u16string expected(Trim(firstLine).substr(0, IniFile::kMaxValue));
    const std::u16string read = ini.read(line.section, line.name, kAbsent);
    FUZZ_CHECK(read == expected, Describe(line, expected, read, "(not written)"));
    keys.push_back(line);
    CheckRoundTrip(ini, keys);
    return 0;
}
