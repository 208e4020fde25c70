#pragma once
// The font and colour tables of a rich-text document as the reader meets them: entry by
// entry, each ended by its ';'.

#include <climits>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "documents/rtf/rtfkeywords.h"
#include "text/codepagetable.h"

namespace vernalo {

class RtfFontTable {
public:
    struct Font {
        int modelIndex;               // index into RichDocument::fonts
        const CodePageDecoder* page;  // the code page the font's text is written in
    };

    // The font of an RTF font number, or null when the table has none.
    const Font* find(int number) const {
        auto it = fonts_.find(number);
        return it == fonts_.end() ? nullptr : &it->second;
    }

    // The entry being read: \f starts it, \fcharset and \cpg give its code page, and
    // what comes between is its name.
    void begin(int number) { number_ = number; }
    void setCharset(int charset) { charset_ = charset; }
    void setCodePage(int codePage) { codePage_ = codePage; }
    void putUnit(char16_t u) {
        if (name_.size() < kLongestName) name_.push_back(u);
    }
    // A byte of the name, in the entry's character set or else the document's page.
    void putByte(unsigned char b, int ansiCodePage, const CodePageDecoder& ansi);

    // Ends the entry: a number new to the table gets the font, its name going to
    // `names`; a number seen before keeps its first font. False, keeping what was read
    // of the name, when no \f has started an entry.
    bool commit(int ansiCodePage, std::vector<std::u16string>& names);

    // Real tables hold some hundreds of fonts with short names; a forged one could hold
    // millions, each costing far more memory than its few bytes in the file. Fonts past the
    // limit are left out (their text takes the default font), and so is the end of a long name.
    static constexpr std::size_t kMostFonts = 32768;
    static constexpr std::size_t kLongestName = 256;

private:
    std::unordered_map<int, Font> fonts_;
    int number_ = INT_MIN;  // INT_MIN: no entry started
    int charset_ = -1;
    int codePage_ = 0;
    std::u16string name_;
};

class RtfColourTable {
public:
    // 0xRRGGBB of a table index; -1 for index 0, for an entry that gave no component
    // (both the automatic colour) and for an index past the table.
    std::int32_t colour(int index) const {
        return index > 0 && static_cast<std::size_t>(index) < colours_.size() ? colours_[index]
                                                                              : -1;
    }

    // A new table replaces the entries of the last; a component read but not yet
    // ended by ';' stays.
    void clear() { colours_.clear(); }
    // \red, \green or \blue of the entry being read; false for any other keyword.
    bool word(RtfKeyword keyword, std::int64_t param);
    // The entry's ';'.
    void commit();

private:
    std::vector<std::int32_t> colours_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool set_ = false;
};

}  // namespace vernalo
