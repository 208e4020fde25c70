#pragma once
// What the book and office document tests share: reading a fixture, comparing texts word
// for word, finding a word's run, making a zip archive in memory.

#include <gtest/gtest.h>

#include <QString>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "documents/model/richdocument.h"

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
    CharFormat format;
    std::u16string paragraph;
};
inline Found FindRun(const RichDocument& doc, std::u16string_view word) {
    Found f;
    for (const Paragraph& p : doc.paragraphs()) {
        for (const TextRun& run : p.runs) {
            if (!f.found && run.text.find(word) != std::u16string::npos) {
                f.found = true;
                f.format = run.format;
                f.paragraph = p.text();
            }
        }
    }
    return f;
}

}  // namespace vernalo::test
