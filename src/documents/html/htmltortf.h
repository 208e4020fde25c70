#pragma once
// HTML source to a small rich-text document: one forward scan over the text with a
// handful of flags. Not an HTML parser: it knows a fixed list of tag names and decodes
// character references. Markup is dropped, headings, bold and italic keep their emphasis,
// list items get a dash, and title, style and script contents disappear.

#include <functional>
#include <string>
#include <string_view>

namespace vernalo {

// The first characters of every result. It leaves the outer group open; the converter
// closes it with "}".
inline constexpr std::string_view kRtfHeader =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil MS Sans Serif;}}";

// Called with the share of the text scanned so far, 1 to 100, only when that share
// changes, so a progress bar can follow the scan without slowing it down.
using HtmlProgress = std::function<void(int percent)>;

// Converts the editor's text, whose line breaks must be CR LF pairs (see WithCrLf), to
// rich-text bytes: characters that Windows-1251 holds are written as their bytes, any
// other character as \uN? (two of them, one per unit, outside the basic plane), and "\",
// "{" and "}" of the text as "\\", "\{" and "\}". Text before the first ">" and the last
// character of the text are never emitted.
std::string HtmlToRtf(std::u16string_view crlfText, const HtmlProgress& progress = {});

// The editor's text with every line break (LF, CR or CR LF) written as CR LF, the form
// HtmlToRtf expects. Text that already has CR LF breaks comes back unchanged.
std::u16string WithCrLf(std::u16string_view text);

// The steps of the scan, public so that each can be tested on its own. One converter
// serves one conversion. The scan counts characters, not UTF-16 units, so a character
// outside the basic plane is never cut in two; positions and lengths count characters.
class HtmlToRtfConverter {
public:
    explicit HtmlToRtfConverter(std::u16string_view crlfText);

    // Runs the whole scan and returns the result, closing "}" included.
    std::string convert(const HtmlProgress& progress = {});

    // The tag name that starts at the scan position (just after a "<"): digits are
    // dropped, only ">" or a blank ends it. Leaves the position on what ended it, or on
    // the last character of the text.
    std::u16string readTagName();
    // The rich-text form of the text run that starts at the scan position (just after a
    // ">"), appended to `out`. Leaves the position on the "<" that ended it, or on the
    // last character of the text.
    void readTextRun(bool flow, std::string& out);

    // 0-based, in characters; 0 to length() at most (length() - 1 once it stops). The scan
    // itself counts from 1.
    std::size_t position() const { return pos_ - 1; }
    void setPosition(std::size_t pos) { pos_ = pos + 1; }
    std::size_t length() const { return text_.size(); }

private:
    char32_t at(std::size_t pos) const { return text_[pos - 1]; }
    // Reads a tag name into a short buffer: only names of up to eight characters can be in the
    // table, so longer ones are only measured, not kept.
    std::size_t readTagKey(char (&key)[9]);
    // The first digit of the tag name read last (h1..h6 differ only there), or 0.
    int tagDigit_ = 0;
    void applyTag(std::string_view key);
    void skipScript();
    // The length of the character reference that starts at `pos` (its "&" to its ";") and
    // the character it stands for; 0 when there is none there, or it is not decoded.
    std::size_t readReference(std::size_t pos, char32_t& character) const;
    void appendChar(char32_t c, std::string& out) const;

    std::u32string text_;  // one element per character
    std::size_t pos_ = 1;
    std::string result_;
    bool skip_ = false;
    bool flow_ = true;
};

}  // namespace vernalo
