#include "settings/colors.h"

#include <array>
#include <limits>

namespace vernalo {
namespace {

struct Named {
    std::u16string_view name;
    ColorCode value;
};

constexpr std::array<Named, 42> kNames = {{
    {u"clBlack", Rgb(0, 0, 0)},
    {u"clMaroon", Rgb(128, 0, 0)},
    {u"clGreen", Rgb(0, 128, 0)},
    {u"clOlive", Rgb(128, 128, 0)},
    {u"clNavy", Rgb(0, 0, 128)},
    {u"clPurple", Rgb(128, 0, 128)},
    {u"clTeal", Rgb(0, 128, 128)},
    {u"clGray", Rgb(128, 128, 128)},
    {u"clSilver", Rgb(192, 192, 192)},
    {u"clRed", Rgb(255, 0, 0)},
    {u"clLime", Rgb(0, 255, 0)},
    {u"clYellow", Rgb(255, 255, 0)},
    {u"clBlue", Rgb(0, 0, 255)},
    {u"clFuchsia", Rgb(255, 0, 255)},
    {u"clAqua", Rgb(0, 255, 255)},
    {u"clWhite", Rgb(255, 255, 255)},
    {u"clScrollBar", kSystemColor + 0},
    {u"clBackground", kSystemColor + 1},
    {u"clActiveCaption", kSystemColor + 2},
    {u"clInactiveCaption", kSystemColor + 3},
    {u"clMenu", kSystemColor + 4},
    {u"clWindow", kSystemColor + 5},
    {u"clWindowFrame", kSystemColor + 6},
    {u"clMenuText", kSystemColor + 7},
    {u"clWindowText", kSystemColor + 8},
    {u"clCaptionText", kSystemColor + 9},
    {u"clActiveBorder", kSystemColor + 10},
    {u"clInactiveBorder", kSystemColor + 11},
    {u"clAppWorkSpace", kSystemColor + 12},
    {u"clHighlight", kSystemColor + 13},
    {u"clHighlightText", kSystemColor + 14},
    {u"clBtnFace", kSystemColor + 15},
    {u"clBtnShadow", kSystemColor + 16},
    {u"clGrayText", kSystemColor + 17},
    {u"clBtnText", kSystemColor + 18},
    {u"clInactiveCaptionText", kSystemColor + 19},
    {u"clBtnHighlight", kSystemColor + 20},
    {u"cl3DDkShadow", kSystemColor + 21},
    {u"cl3DLight", kSystemColor + 22},
    {u"clInfoText", kSystemColor + 23},
    {u"clInfoBk", kSystemColor + 24},
    {u"clNone", kNoColor},
}};

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - 32 : c;
}

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::u16string_view t) {
    while (!t.empty() && (t.front() == u' ' || t.front() == u'\t'))
        t.remove_prefix(1);
    while (!t.empty() && (t.back() == u' ' || t.back() == u'\t'))
        t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == u'-' || t.front() == u'+')) {
        negative = t.front() == u'-';
        t.remove_prefix(1);
    }
    bool hex = false;
    if (!t.empty() && t.front() == u'$') {
        hex = true;
        t.remove_prefix(1);
    } else if (t.size() > 1 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X')) {
        hex = true;
        t.remove_prefix(2);
    }
    if (t.empty()) return std::nullopt;
    std::uint64_t v = 0;
    for (char16_t c : t) {
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (hex && Upper(c) >= u'A' && Upper(c) <= u'F')
            d = Upper(c) - u'A' + 10;
        else
            return std::nullopt;
        v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    // Hexadecimal spells the 32 bits themselves, as colours need.
    std::int64_t sv = hex ? static_cast<std::int32_t>(static_cast<std::uint32_t>(v))
                          : static_cast<std::int64_t>(v);
    if (negative) sv = -sv;
    if (sv < std::numeric_limits<std::int32_t>::min() ||
        sv > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(sv);
}

// Three names that builds of this program wrote for a while in place of the table's own; read
// so that the colour of a settings file they wrote is kept, never written.
constexpr Named kFormerNames[] = {
    {u"kWindowTextColor", kSystemColor + 8},
    {u"kButtonFaceColor", kSystemColor + 15},
    {u"kNoColor", kNoColor},
};

std::optional<ColorCode> ParseColor(std::u16string_view text) {
    for (const Named& n : kNames)
        if (SameIgnoringCase(text, n.name)) return n.value;
    for (const Named& n : kFormerNames)
        if (SameIgnoringCase(text, n.name)) return n.value;
    if (auto v = ParseInteger(text)) return static_cast<ColorCode>(*v);
    return std::nullopt;
}

std::u16string FormatColor(ColorCode color) {
    for (const Named& n : kNames)
        if (n.value == color) return std::u16string(n.name);
    static const char16_t hex[] = u"0123456789ABCDEF";
    std::u16string s = u"$";
    for (int shift = 28; shift >= 0; shift -= 4)
        s.push_back(hex[(color >> shift) & 15]);
    return s;
}

std::size_t ColorNameCount() {
    return kNames.size();
}
std::u16string_view ColorName(std::size_t i) {
    return kNames[i].name;
}
ColorCode ColorValue(std::size_t i) {
    return kNames[i].value;
}

bool IsSystemColor(ColorCode c) {
    return c >= kSystemColor && c <= kSystemColor + 24;
}
int SystemColorIndex(ColorCode c) {
    return static_cast<int>(c - kSystemColor);
}

}  // namespace vernalo
