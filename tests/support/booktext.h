#pragma once
// What the book and office document tests share: reading a fixture, comparing texts word
// for word, finding a word's run, making a zip archive in memory.

#include <gtest/gtest.h>
#include <zip.h>

#include <QString>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "documents/rtfmodel.h"

namespace vernalo::test {

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Lower-case words with at least one letter: whitespace, punctuation, list bullets and
// note numbers (which each tool places its own way) aside.
inline std::vector<QString> Words(const QString& text) {
    std::vector<QString> words;
    QString word;
    bool letter = false;
    auto flush = [&] {
        if (letter) words.push_back(word.toLower());
        word.clear();
        letter = false;
    };
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            word += c;
            letter = letter || c.isLetter();
        } else {
            flush();
        }
    }
    flush();
    return words;
}

inline QString Q(const std::u16string& s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

inline std::string Join(const std::vector<QString>& words) {
    QString s;
    for (const auto& w : words)
        s += w + u' ';
    return s.toStdString();
}

// The first run holding `word`, and its paragraph's text.
struct Found {
    bool found = false;
    RtfCharFormat format;
    std::u16string paragraph;
};
inline Found FindRun(const RtfDocument& doc, std::u16string_view word) {
    Found f;
    for (const RtfParagraph& p : doc.Paragraphs()) {
        for (const RtfRun& run : p.runs) {
            if (!f.found && run.text.find(word) != std::u16string::npos) {
                f.found = true;
                f.format = run.format;
                f.paragraph = p.Text();
            }
        }
    }
    return f;
}

// A zip archive of the given members, deflated.
inline std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& members) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t* za = zip_open_from_source(out, ZIP_TRUNCATE, &err);
    EXPECT_NE(za, nullptr);
    zip_source_keep(out);
    for (const auto& [name, data] : members) {
        zip_source_t* s = zip_source_buffer(za, data.data(), data.size(), 0);
        EXPECT_GE(zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_UTF_8), 0);
    }
    EXPECT_EQ(zip_close(za), 0);
    std::string bytes;
    EXPECT_EQ(zip_source_open(out), 0);
    char buf[65536];
    for (zip_int64_t n; (n = zip_source_read(out, buf, sizeof buf)) > 0;)
        bytes.append(buf, static_cast<std::size_t>(n));
    zip_source_close(out);
    zip_source_free(out);
    zip_error_fini(&err);
    return bytes;
}

}  // namespace vernalo::test
