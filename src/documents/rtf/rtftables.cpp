#include "documents/rtf/rtftables.h"

namespace vernalo {

void RtfFontTable::putByte(unsigned char b, int ansiCodePage, const CodePageDecoder& ansi) {
    const CodePageDecoder& page =
        charset_ >= 0 ? CodePageTable(CharsetCodePage(charset_, ansiCodePage)) : ansi;
    putUnit(page.units[b]);
}

bool RtfFontTable::commit(int ansiCodePage, std::vector<std::u16string>& names) {
    if (number_ == INT_MIN) return false;
    std::size_t b = name_.find_first_not_of(u' ');
    std::size_t e = name_.find_last_not_of(u' ');
    std::u16string name = b == name_.npos ? std::u16string() : name_.substr(b, e - b + 1);
    int cp = codePage_ > 0   ? codePage_
             : charset_ >= 0 ? CharsetCodePage(charset_, ansiCodePage)
                             : ansiCodePage;
    if (!fonts_.contains(number_) && fonts_.size() < kMostFonts) {
        fonts_[number_] = {static_cast<int>(names.size()), &CodePageTable(cp)};
        names.push_back(std::move(name));
    }
    number_ = INT_MIN;
    charset_ = -1;
    codePage_ = 0;
    name_.clear();
    return true;
}

bool RtfColourTable::word(RtfKeyword keyword, std::int64_t param) {
    int v = ClampRtfParam(param, 0, 255);
    switch (keyword) {
        case RtfKeyword::Red:
            red_ = v;
            break;
        case RtfKeyword::Green:
            green_ = v;
            break;
        case RtfKeyword::Blue:
            blue_ = v;
            break;
        default:
            return false;
    }
    set_ = true;
    return true;
}

void RtfColourTable::commit() {
    colours_.push_back(set_ ? (red_ << 16 | green_ << 8 | blue_) : -1);
    red_ = green_ = blue_ = 0;
    set_ = false;
}

}  // namespace vernalo
