#include "settings/inifile.h"

#include "text/codepage.h"
#include "text/fileio.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

constexpr auto npos = std::u16string::npos;

std::u16string_view Trim(std::u16string_view s) {
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

char16_t Fold(char16_t c) {
    if (c >= u'a' && c <= u'z') return c - 32;
    if (c >= u'а' && c <= u'я') return c - 32;
    return c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

// The name of a "[Name]" line, or false.
bool SectionName(std::u16string_view line, std::u16string_view& name) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != u'[') return false;
    std::size_t close = line.find(u']');
    if (close == npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// Key and value of a "Key=Value" line, or false for blank and comment lines.
bool Entry(std::u16string_view line, std::u16string_view& key, std::u16string_view& value) {
    std::u16string_view t = Trim(line);
    if (t.empty() || t.front() == u';') return false;
    std::size_t eq = t.find(u'=');
    if (eq == npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

}  // namespace

IniFile IniFile::fromBytes(std::string_view bytes) {
    IniFile ini;
    std::u16string text = DecodeTextFile(bytes).text;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == npos) end = text.size();
        ini.lines_.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return ini;
}

bool IniFile::load(const std::string& path, IniFile& out, std::string* error) {
    if (!FileExists(path)) {
        out = IniFile();
        return true;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    out = fromBytes(bytes);
    return true;
}

IniFile::Located IniFile::locate(std::u16string_view section, std::u16string_view key) const {
    Located at{npos, npos, npos};
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::u16string_view name, k, v;
        if (SectionName(lines_[i], name)) {
            if (inside) break;  // only the first section of a name counts
            inside = SameName(name, section);
            if (inside) at.sectionLine = i, at.sectionEnd = i + 1;
        } else if (inside && Entry(lines_[i], k, v)) {
            at.sectionEnd = i + 1;
            if (at.keyLine == npos && SameName(k, key)) at.keyLine = i;
        }
    }
    return at;
}

std::u16string IniFile::read(std::u16string_view section, std::u16string_view key,
                             std::u16string_view fallback) const {
    Located at = locate(section, key);
    std::u16string_view k, v = fallback;
    if (at.keyLine != npos) Entry(lines_[at.keyLine], k, v);
    return std::u16string(v.substr(0, kMaxValue));
}

void IniFile::write(std::u16string_view section, std::u16string_view key,
                    std::u16string_view value) {
    std::u16string line = std::u16string(key) + u"=" + std::u16string(value);
    // One entry is one line: a line break in the value would start entries of its own.
    for (char16_t& c : line)
        if (c == u'\r' || c == u'\n') c = u' ';
    Located at = locate(section, key);
    if (at.keyLine != npos) {
        lines_[at.keyLine] = std::move(line);
    } else if (at.sectionLine != npos) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at.sectionEnd), std::move(line));
    } else {
        lines_.push_back(u"[" + std::u16string(section) + u"]");
        lines_.push_back(std::move(line));
    }
}

std::string IniFile::toBytes() const {
    std::u16string text;
    for (const auto& l : lines_)
        text += l + u"\r\n";
    // The first form that reads back as the same text. Windows-1251 bytes can also be valid
    // UTF-8 ("Р°" is D0 B0, read as "а") or start like a byte-order mark ("п»ї", "яю"): such
    // text is written as UTF-8 with a mark, as is text starting with U+FEFF, which would
    // otherwise be read as the mark.
    auto readsBack = [&text](const std::string& bytes) { return DecodeBytes(bytes).text == text; };
    const auto cp1251 = TryEncodeCp1251(text);
    if (cp1251 && readsBack(*cp1251)) return *cp1251;
    std::string utf8 = Utf16ToUtf8(text);
    if (!cp1251 && readsBack(utf8)) return utf8;
    utf8.insert(0, "\xEF\xBB\xBF");
    if (readsBack(utf8)) return utf8;
    // Only UTF-16 holds a lone surrogate (a value read from a UTF-16 file).
    std::string utf16 = "\xFF\xFE";
    for (char16_t u : text) {
        utf16.push_back(static_cast<char>(u & 0xFF));
        utf16.push_back(static_cast<char>(u >> 8));
    }
    return utf16;
}

bool IniFile::save(const std::string& path, std::string* error) const {
    return WriteFileAtomically(path, toBytes(), error);
}

}  // namespace vernalo
