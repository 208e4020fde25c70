#pragma once
// JSON lines written straight into one output buffer: numbers and UTF-16 strings go in without
// a stream call or a string of their own per value, since `pieces` writes several for every
// word of a text that may be a whole book.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "text/textcodec.h"

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
        while (!text.empty()) {
            std::size_t n = std::min(kSlice, text.size());
            // A surrogate pair stays in one slice.
            if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
            appendEscaped(text.substr(0, n));
            text.remove_prefix(n);
            flushIfFull();
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
    static constexpr std::size_t kSlice = 1 << 13;

    void flushIfFull() {
        if (buffer_.size() >= kFlushAt) flush();
    }
    // Written through a pointer into room made beforehand: at most six bytes a unit (\u001f).
    void appendEscaped(std::u16string_view text) {
        const std::size_t old = buffer_.size();
        buffer_.resize(old + text.size() * 6);
        char* out = buffer_.data() + old;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] < 0x80) {
                out = escapeAscii(out, static_cast<char>(text[i]));
                continue;
            }
            const char32_t c = CodePointAt(text, i);
            if (c < 0x800) {
                *out++ = static_cast<char>(0xC0 | (c >> 6));
            } else {
                if (c < 0x10000) {
                    *out++ = static_cast<char>(0xE0 | (c >> 12));
                } else {
                    *out++ = static_cast<char>(0xF0 | (c >> 18));
                    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                }
                *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            }
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
        buffer_.resize(static_cast<std::size_t>(out - buffer_.data()));
    }
    static char* escapeAscii(char* out, char c) {
        const char* escaped = nullptr;
        switch (c) {
            case '"':
                escaped = "\\\"";
                break;
            case '\\':
                escaped = "\\\\";
                break;
            case '\n':
                escaped = "\\n";
                break;
            case '\r':
                escaped = "\\r";
                break;
            case '\t':
                escaped = "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20) {
                    *out++ = c;
                    return out;
                }
                static const char hex[] = "0123456789abcdef";
                const char code[] = {'\\', 'u', '0', '0', hex[(c >> 4) & 15], hex[c & 15]};
                for (char b : code)
                    *out++ = b;
                return out;
        }
        *out++ = escaped[0];
        *out++ = escaped[1];
        return out;
    }

    std::FILE* file_;
    std::string buffer_;
    bool failed_ = false;
};

}  // namespace vernalo::cli
