#pragma once
// JSON lines written straight into one output buffer: numbers and UTF-16 strings go in without
// a stream call or a string of their own per value, since `pieces` writes several for every
// word of a text that may be a whole book.

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

namespace vernalo::cli {

class JsonLines {
public:
    explicit JsonLines(std::FILE* file) : file_(file) { buffer_.reserve(kFlushAt + 1024); }
    ~JsonLines() { flush(); }
    JsonLines(const JsonLines&) = delete;
    JsonLines& operator=(const JsonLines&) = delete;

    void raw(std::string_view s) {
        buffer_ += s;
        flushIfFull();
    }
    void number(long value) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        buffer_.append(digits, end);
    }
    // `text` as a JSON string literal, quotes included, in UTF-8; a lone surrogate becomes
    // U+FFFD. A long text is written out as it goes, never held whole a second time.
    void string(std::u16string_view text) {
        buffer_ += '"';
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c < 0x80) {
                escapeAscii(static_cast<char>(c));
            } else {
                if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                    ++i;
                } else if (c >= 0xD800 && c <= 0xDFFF) {
                    c = 0xFFFD;
                }
                appendUtf8(c);
            }
            if (buffer_.size() >= kFlushAt) flush();
        }
        buffer_ += '"';
    }
    // False when a write failed.
    bool flush() {
        if (!buffer_.empty() &&
            std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
            failed_ = true;
        buffer_.clear();
        return !failed_ && std::fflush(file_) == 0;
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    void flushIfFull() {
        if (buffer_.size() >= kFlushAt) flush();
    }
    void escapeAscii(char c) {
        switch (c) {
            case '"':
                buffer_ += "\\\"";
                return;
            case '\\':
                buffer_ += "\\\\";
                return;
            case '\n':
                buffer_ += "\\n";
                return;
            case '\r':
                buffer_ += "\\r";
                return;
            case '\t':
                buffer_ += "\\t";
                return;
            default:
                break;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            static const char hex[] = "0123456789abcdef";
            const char escaped[] = {'\\', 'u', '0', '0', hex[(c >> 4) & 15], hex[c & 15]};
            buffer_.append(escaped, sizeof escaped);
        } else {
            buffer_ += c;
        }
    }
    void appendUtf8(char32_t c) {
        if (c < 0x800) {
            const char b[] = {static_cast<char>(0xC0 | (c >> 6)),
                              static_cast<char>(0x80 | (c & 0x3F))};
            buffer_.append(b, 2);
        } else if (c < 0x10000) {
            const char b[] = {static_cast<char>(0xE0 | (c >> 12)),
                              static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (c & 0x3F))};
            buffer_.append(b, 3);
        } else {
            const char b[] = {
                static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
            buffer_.append(b, 4);
        }
    }

    std::FILE* file_;
    std::string buffer_;
    bool failed_ = false;
};

}  // namespace vernalo::cli
