#include "documents/html/htmltortf.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>

#include "documents/html/htmlentities.h"
#include "text/codepage.h"

namespace vernalo {
namespace {

// Windows-1251 byte of every UTF-16 unit (-1 when the code page lacks it), as one flat
// table: the run loop looks up every character of the page.
const std::int16_t* ByteTable() {
    static const std::unique_ptr<std::int16_t[]> table = [] {
        auto t = std::make_unique<std::int16_t[]>(0x10000);
        for (unsigned u = 0; u < 0x10000; ++u)
            t[u] = static_cast<std::int16_t>(UnicodeToCp1251(static_cast<char16_t>(u)));
        return t;
    }();
    return table.get();
}

constexpr char32_t AsciiUpper(char32_t c) {
    return (c >= U'a' && c <= U'z') ? c - 0x20 : c;
}

constexpr bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// One element per character: a surrogate pair becomes its character; a surrogate without
// its partner stays a character of its own.
std::u32string Characters(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            out.push_back(u);
        }
    }
    return out;
}

void AppendUtf16(char32_t c, std::u16string& out) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
}

// The reader takes \u as a signed 16-bit number and skips the "?" that follows.
void AppendUnicodeUnit(char16_t unit, std::string& out) {
    out += "\\u";
    out += std::to_string(static_cast<std::int16_t>(unit));
    out.push_back('?');
}

constexpr std::size_t kNoMark = std::numeric_limits<std::size_t>::max();

}  // namespace

HtmlToRtfConverter::HtmlToRtfConverter(std::u16string_view crlfText)
    : text_(Characters(crlfText)) {}

std::u16string HtmlToRtfConverter::readTagName() {
    std::u16string name;
    const std::size_t len = text_.size();
    while (pos_ < len) {
        const char32_t c = at(pos_);
        if (c == U'>' || c == U' ') break;
        if (c < U'0' || c > U'9') AppendUtf16(c, name);
        ++pos_;
    }
    return name;
}

std::size_t HtmlToRtfConverter::readTagKey(char (&key)[9]) {
    std::size_t n = 0;
    const std::size_t len = text_.size();
    tagDigit_ = 0;
    while (pos_ < len) {
        const char32_t c = at(pos_);
        if (c == U'>' || c == U' ') break;
        if (c < U'0' || c > U'9') {
            // A unit outside ASCII can match no name of the table.
            if (n < 8) key[n] = c < 0x80 ? static_cast<char>(AsciiUpper(c)) : '\x01';
            ++n;
        } else if (tagDigit_ == 0) {
            tagDigit_ = static_cast<int>(c - U'0');
        }
        ++pos_;
    }
    return n;
}

void HtmlToRtfConverter::appendChar(char32_t c, std::string& out) const {
    if (c < 0x80) {
        // Escaped so that the text reaches the editor as written, not as markup.
        if (c == U'\\' || c == U'{' || c == U'}') out.push_back('\\');
        out.push_back(static_cast<char>(c));
        return;
    }
    if (c < 0x10000) {
        const int byte = ByteTable()[c];
        if (byte >= 0)
            out.push_back(static_cast<char>(byte));
        else
            AppendUnicodeUnit(static_cast<char16_t>(c), out);
        return;
    }
    // Outside the basic plane: the surrogate pair, whose halves the reader joins again.
    AppendUnicodeUnit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), out);
    AppendUnicodeUnit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), out);
}

std::size_t HtmlToRtfConverter::readReference(std::size_t pos, char32_t& character) const {
    const std::size_t len = text_.size();
    std::size_t i = pos + 1;
    if (i > len) return 0;
    if (at(i) == U'#') {
        ++i;
        const bool hex = i <= len && (at(i) == U'x' || at(i) == U'X');
        if (hex) ++i;
        // Past the last scalar value every number is equally out of range; capping keeps
        // a long run of digits from overflowing.
        constexpr char32_t kTooBig = 0x110000;
        char32_t value = 0;
        std::size_t digits = 0;
        for (; i <= len; ++i, ++digits) {
            const char32_t d = at(i), lower = d | 0x20;
            char32_t v;
            if (d >= U'0' && d <= U'9')
                v = d - U'0';
            else if (hex && lower >= U'a' && lower <= U'f')
                v = lower - U'a' + 10;
            else
                break;
            value = std::min(static_cast<char32_t>(value * (hex ? 16 : 10) + v), kTooBig);
        }
        if (digits == 0 || i > len || at(i) != U';') return 0;
        if (value == 0 || value >= kTooBig || IsSurrogate(value)) return 0;
        character = value;
        return i - pos + 1;
    }
    // Names are letters and digits; no name of the table is longer than the buffer.
    char name[32];
    std::size_t n = 0;
    for (; i <= len && n < sizeof name; ++i) {
        const char32_t c = at(i);
        if (!((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9')))
            break;
        name[n++] = static_cast<char>(c);
    }
    if (n == 0 || i > len || at(i) != U';') return 0;
    character = HtmlEntityCharacter(std::string_view(name, n));
    return character != 0 ? i - pos + 1 : 0;
}

void HtmlToRtfConverter::readTextRun(bool flow, std::string& out) {
    const std::size_t len = text_.size();
    const std::size_t start = out.size();
    out.push_back(' ');  // every non-empty run opens with a blank
    unsigned blanks = 0, breaks = 0;
    char32_t decoded = 0;
    std::size_t referenceLength = 0;
    while (pos_ < len) {
        const char32_t c = at(pos_);
        if (c == U'<') break;
        if (c == U'&' && pos_ + 4 <= len && at(pos_ + 1) == U'n' && at(pos_ + 2) == U'b' &&
            at(pos_ + 3) == U's' && at(pos_ + 4) == U'p') {
            pos_ += 5;
            // The ";" is often left out; what follows "&nbsp" then is text to keep.
            if (pos_ <= len && at(pos_) == U';') ++pos_;
            if (pos_ > len) pos_ = len;
            if (blanks == 0) out.push_back(' ');
            ++blanks;
        } else if (!flow && c == U'\r' && at(pos_ + 1) == U'\n') {
            pos_ += pos_ + 2 < len ? 2 : 1;
            if (breaks == 0) out += "\\par ";
            ++breaks;
        } else if (c == U' ' || (flow && (c == U'\r' || c == U'\n'))) {
            // In flowing text a source line break only parts words, as a blank does: the
            // rich-text reader would drop it and join them.
            if (blanks == 0) out.push_back(' ');
            ++blanks;
            ++pos_;
        } else if (c == U'&' && (referenceLength = readReference(pos_, decoded)) != 0) {
            appendChar(decoded, out);
            pos_ = std::min(pos_ + referenceLength, len);
            blanks = breaks = 0;
        } else {
            appendChar(c, out);
            ++pos_;
            blanks = breaks = 0;
        }
    }
    // Trim everything of code 32 or less from both ends, keeping the opening blank.
    std::size_t first = start + 1;
    while (first < out.size() && static_cast<unsigned char>(out[first]) <= 32)
        ++first;
    if (first == out.size()) {
        out.resize(start);
        return;
    }
    std::size_t end = out.size();
    while (static_cast<unsigned char>(out[end - 1]) <= 32)
        --end;
    out.resize(end);
    if (first > start + 1) out.erase(start + 1, first - start - 1);
    if (flow) out += "\\par ";
}

void HtmlToRtfConverter::skipScript() {
    int depth = 1;
    const std::size_t len = text_.size();
    while (depth > 0) {
        // Without its closing tag the element runs to the end of the text.
        if (pos_ >= len) break;
        ++pos_;
        if (at(pos_) != U'<') continue;
        if (pos_ < len) ++pos_;
        char key[9];
        const std::size_t n = readTagKey(key);
        if (n > 8) continue;
        const std::string_view name(key, n);
        if (name == "SCRIPT")
            ++depth;
        else if (name == "/SCRIPT" || name == "/SCRIPT\\")
            --depth;
    }
}

void HtmlToRtfConverter::applyTag(std::string_view key) {
    if (key.empty()) return;
    switch (key[0]) {
        case 'P':
            if (key == "P") {
                result_ += "\\pard ";
                flow_ = true;
            } else if (key == "PRE") {
                flow_ = false;
            }
            break;
        case 'H':
            // h1..h6 mark their paragraph with its outline level, for the contents.
            if (key == "H" && tagDigit_ >= 1 && tagDigit_ <= 6)
                result_ += "\\par \\outlinelevel" + std::to_string(tagDigit_ - 1) + "\\b ";
            else if (key == "H")
                result_ += "\\par \\b ";
            break;
        case 'L':
            if (key == "LI") {
                result_ += " - ";
                flow_ = false;
            }
            break;
        case 'B':
            if (key == "B") result_ += "\\b ";
            break;
        case 'I':
            if (key == "I") result_ += "\\i";
            break;
        case 'C':
            if (key == "CODE") flow_ = false;
            break;
        case 'S':
            if (key == "STYLE")
                skip_ = true;
            else if (key == "SCRIPT")
                skipScript();
            break;
        case 'T':
            if (key == "TITLE") skip_ = true;
            break;
        case '/':
            if (key == "/P")
                result_ += "\\par ";
            else if (key == "/H")
                result_ +=
                    tagDigit_ >= 1 && tagDigit_ <= 6 ? "\\par \\outlinelevel9\\b0 " : "\\par \\b0 ";
            else if (key == "/B")
                result_ += "\\b0 ";
            else if (key == "/I")
                result_ += "\\i0";
            else if (key == "/STYLE" || key == "/TITLE")
                skip_ = false;
            else if (key == "/CODE" || key == "/PRE")
                flow_ = true;
            break;
        default:
            break;
    }
}

std::string HtmlToRtfConverter::convert(const HtmlProgress& progress) {
    const std::size_t len = text_.size();
    result_.clear();
    result_.reserve(kRtfHeader.size() + len + len / 4 + 16);
    result_.append(kRtfHeader);
    pos_ = 1;
    flow_ = true;
    skip_ = false;

    // The next position at which the shown percentage changes; checked once per step.
    auto markFor = [len](std::size_t percent) { return (percent * len + 99) / 100; };
    std::size_t nextMark = progress && len > 0 ? markFor(1) : kNoMark;

    // The last character is never examined here: a tag or run needs one after it.
    while (pos_ < len) {
        const char32_t c = at(pos_);
        const bool tagFollows = c == U'<';
        const bool textFollows = c == U'>';
        ++pos_;
        if (tagFollows) {
            char key[9];
            const std::size_t n = readTagKey(key);
            if (n <= 8) applyTag(std::string_view(key, n));
        } else if (textFollows) {
            if (skip_) {
                const std::size_t mark = result_.size();
                readTextRun(false, result_);
                result_.resize(mark);
            } else {
                readTextRun(flow_, result_);
            }
        }
        if (pos_ >= nextMark) {
            const std::size_t percent = pos_ * 100 / len;
            progress(static_cast<int>(percent));
            nextMark = percent >= 100 ? kNoMark : markFor(percent + 1);
        }
    }
    result_.push_back('}');
    return std::move(result_);
}

std::string HtmlToRtf(std::u16string_view crlfText, const HtmlProgress& progress) {
    return HtmlToRtfConverter(crlfText).convert(progress);
}

std::u16string WithCrLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            out += u"\r\n";
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace vernalo
