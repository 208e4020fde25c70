#include "documents/htmltortf.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>

#include "documents/codepage.h"

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

constexpr char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - 0x20 : c;
}

constexpr std::size_t kNoMark = std::numeric_limits<std::size_t>::max();

}  // namespace

HtmlToRtfConverter::HtmlToRtfConverter(std::u16string_view crlfText) : text_(crlfText) {}

std::u16string HtmlToRtfConverter::ReadTagName() {
    std::u16string name;
    const std::size_t len = text_.size();
    while (pos_ < len) {
        const char16_t c = At(pos_);
        if (c == u'>' || c == u' ') break;
        if (c < u'0' || c > u'9') name.push_back(c);
        ++pos_;
    }
    return name;
}

std::size_t HtmlToRtfConverter::ReadTagKey(char (&key)[9]) {
    std::size_t n = 0;
    const std::size_t len = text_.size();
    while (pos_ < len) {
        const char16_t c = At(pos_);
        if (c == u'>' || c == u' ') break;
        if (c < u'0' || c > u'9') {
            // A unit outside ASCII can match no name of the table.
            if (n < 8) key[n] = c < 0x80 ? static_cast<char>(AsciiUpper(c)) : '\x01';
            ++n;
        }
        ++pos_;
    }
    return n;
}

void HtmlToRtfConverter::AppendChar(char16_t unit, std::string& out) const {
    if (unit < 0x80) {
        // Escaped so that the text reaches the editor as written, not as markup.
        if (unit == u'\\' || unit == u'{' || unit == u'}') out.push_back('\\');
        out.push_back(static_cast<char>(unit));
        return;
    }
    const int byte = ByteTable()[unit];
    if (byte >= 0) {
        out.push_back(static_cast<char>(byte));
        return;
    }
    // The reader takes \u as a signed 16-bit number and skips the "?" that follows.
    out += "\\u";
    out += std::to_string(static_cast<std::int16_t>(unit));
    out.push_back('?');
}

void HtmlToRtfConverter::ReadTextRun(bool flow, std::string& out) {
    const std::size_t len = text_.size();
    const std::size_t start = out.size();
    out.push_back(' ');  // every non-empty run opens with a blank
    unsigned blanks = 0, breaks = 0;
    while (pos_ < len) {
        const char16_t c = At(pos_);
        if (c == u'<') break;
        if (c == u'&' && pos_ + 4 <= len && At(pos_ + 1) == u'n' && At(pos_ + 2) == u'b' &&
            At(pos_ + 3) == u's' && At(pos_ + 4) == u'p') {
            pos_ += 6;  // the five letters and the ";" taken to follow
            if (pos_ > len) pos_ = len;
            if (blanks == 0) out.push_back(' ');
            ++blanks;
        } else if (!flow && c == u'\r' && At(pos_ + 1) == u'\n') {
            pos_ += pos_ + 2 < len ? 2 : 1;
            if (breaks == 0) out += "\\par ";
            ++breaks;
        } else if (c == u' ') {
            if (blanks == 0) out.push_back(' ');
            ++blanks;
            ++pos_;
        } else {
            AppendChar(c, out);
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

void HtmlToRtfConverter::SkipScript() {
    int depth = 1;
    const std::size_t len = text_.size();
    while (depth > 0) {
        // Without its closing tag the element runs to the end of the text.
        if (pos_ >= len) break;
        ++pos_;
        if (At(pos_) != u'<') continue;
        if (pos_ < len) ++pos_;
        char key[9];
        const std::size_t n = ReadTagKey(key);
        if (n > 8) continue;
        const std::string_view name(key, n);
        if (name == "SCRIPT")
            ++depth;
        else if (name == "/SCRIPT" || name == "/SCRIPT\\")
            --depth;
    }
}

void HtmlToRtfConverter::ApplyTag(std::string_view key) {
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
            if (key == "H") result_ += "\\par \\b ";
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
                SkipScript();
            break;
        case 'T':
            if (key == "TITLE") skip_ = true;
            break;
        case '/':
            if (key == "/P")
                result_ += "\\par ";
            else if (key == "/H")
                result_ += "\\par \\b0 ";
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

std::string HtmlToRtfConverter::Convert(const HtmlProgress& progress) {
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
        const char16_t c = At(pos_);
        const bool tagFollows = c == u'<';
        const bool textFollows = c == u'>';
        ++pos_;
        if (tagFollows) {
            char key[9];
            const std::size_t n = ReadTagKey(key);
            if (n <= 8) ApplyTag(std::string_view(key, n));
        } else if (textFollows) {
            if (skip_) {
                const std::size_t mark = result_.size();
                ReadTextRun(false, result_);
                result_.resize(mark);
            } else {
                ReadTextRun(flow_, result_);
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
    return HtmlToRtfConverter(crlfText).Convert(progress);
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
