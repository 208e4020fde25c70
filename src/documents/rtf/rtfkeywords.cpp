#include "documents/rtf/rtfkeywords.h"

#include <unordered_map>

namespace vernalo {
namespace {

using Kw = RtfKeyword;

// Control-word names longer than this are nobody's; parameters are saturated.
constexpr std::size_t kMaxName = 32;
constexpr std::int64_t kParamLimit = 1'000'000'000'000LL;

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// clang-format off
const std::unordered_map<std::string_view, Kw>& Keywords() {
    static const std::unordered_map<std::string_view, Kw> map = [] {
        std::unordered_map<std::string_view, Kw> m = {
            {"fonttbl", Kw::FontTable}, {"colortbl", Kw::ColorTable}, {"object", Kw::Object},
            {"upr", Kw::Upr}, {"ud", Kw::Resume}, {"result", Kw::Resume},
            {"fldrslt", Kw::FieldResult}, {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc},
            {"pca", Kw::Pca}, {"ansicpg", Kw::AnsiCpg}, {"deff", Kw::Deff}, {"uc", Kw::Uc},
            {"u", Kw::U}, {"bin", Kw::Bin}, {"f", Kw::F}, {"fcharset", Kw::FCharset},
            {"cpg", Kw::Cpg}, {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
            {"par", Kw::Par}, {"sect", Kw::Par}, {"page", Kw::Par}, {"line", Kw::Line},
            {"tab", Kw::Tab}, {"cell", Kw::Cell}, {"nestcell", Kw::Cell}, {"row", Kw::Row},
            {"nestrow", Kw::NestRow}, {"emdash", Kw::Emdash}, {"endash", Kw::Endash},
            {"emspace", Kw::Emspace}, {"enspace", Kw::Enspace}, {"qmspace", Kw::Qmspace},
            {"bullet", Kw::Bullet}, {"lquote", Kw::Lquote}, {"rquote", Kw::Rquote},
            {"ldblquote", Kw::Ldblquote}, {"rdblquote", Kw::Rdblquote}, {"zwj", Kw::Zwj},
            {"zwnj", Kw::Zwnj}, {"ltrmark", Kw::Ltrmark}, {"rtlmark", Kw::Rtlmark},
            {"plain", Kw::Plain}, {"b", Kw::B}, {"i", Kw::I}, {"ulnone", Kw::UlNone},
            {"strike", Kw::Strike}, {"striked", Kw::Strike}, {"fs", Kw::Fs}, {"cf", Kw::Cf},
            {"cb", Kw::Cb}, {"highlight", Kw::Cb}, {"chcbpat", Kw::Cb}, {"v", Kw::V},
            {"pard", Kw::Pard}, {"intbl", Kw::Intbl}, {"ql", Kw::Ql}, {"qc", Kw::Qc},
            {"qr", Kw::Qr}, {"qj", Kw::Qj}, {"qd", Kw::Qj}, {"li", Kw::Li}, {"ri", Kw::Ri},
            {"fi", Kw::Fi}, {"outlinelevel", Kw::OutlineLevel},
        };
        // Every underline style reads as underline.
        for (std::string_view ul : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                                    "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd",
                                    "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"})
            m.emplace(ul, Kw::Ul);
        // Destinations whose content is not document text.
        for (std::string_view skip :
             {"stylesheet", "info",         "pict",       "header",
              "headerl",    "headerr",      "headerf",    "footer",
              "footerl",    "footerr",      "footerf",    "footnote",
              "fldinst",    "falt",         "themedata",  "colorschememapping",
              "datastore",  "latentstyles", "listtable",  "listoverridetable",
              "rsidtbl",    "generator",    "xmlnstbl",   "revtbl",
              "pgdsctbl",   "filetbl",      "bkmkstart",  "bkmkend",
              "shp",        "shpinst",      "nonshppict", "shppict",
              "pntxta",     "pntxtb",       "xe",         "tc",
              "txe",        "template",     "docvar",     "ftnsep",
              "ftnsepc",    "ftncn",        "aftnsep",    "aftnsepc",
              "aftncn",     "do",           "objdata",    "atnid",
              "atnauthor",  "annotation",   "userprops",  "mmathPr",
              "operator",   "author",       "title",      "subject",
              "keywords",   "comment",      "doccomm",    "company",
              "category",   "manager",      "hlinkbase",  "buptim",
              "creatim",    "printim",      "revtim"})
            m.emplace(skip, Kw::SkipDest);
        return m;
    }();
    return map;
}
// clang-format on

}  // namespace

RtfControlWord ReadRtfControlWord(std::string_view text) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = begin + text.size();
    const unsigned char* p = begin;
    while (p < end && IsLetter(*p))
        ++p;
    RtfControlWord word;
    word.keyword = LookupRtfKeyword(text.substr(0, static_cast<std::size_t>(p - begin)));
    bool negative = false;
    if (p + 1 < end && *p == '-' && IsDigit(p[1])) {
        negative = true;
        ++p;
    }
    while (p < end && IsDigit(*p)) {
        word.hasParam = true;
        if (word.param < kParamLimit) word.param = word.param * 10 + (*p - '0');
        ++p;
    }
    if (negative) word.param = -word.param;
    if (p < end && *p == ' ') ++p;
    word.length = static_cast<std::size_t>(p - begin);
    return word;
}

RtfKeyword LookupRtfKeyword(std::string_view name) {
    if (name.size() > kMaxName) return Kw::Unknown;
    const auto& map = Keywords();
    auto it = map.find(name);
    return it == map.end() ? Kw::Unknown : it->second;
}

// clang-format off
char16_t RtfKeywordCharacter(RtfKeyword keyword) {
    switch (keyword) {
        case Kw::Line:      return u'\u2028';
        case Kw::Tab:       return u'\t';
        case Kw::Emdash:    return u'\u2014';
        case Kw::Endash:    return u'\u2013';
        case Kw::Emspace:   return u'\u2003';
        case Kw::Enspace:   return u'\u2002';
        case Kw::Qmspace:   return u'\u2005';
        case Kw::Bullet:    return u'\u2022';
        case Kw::Lquote:    return u'\u2018';
        case Kw::Rquote:    return u'\u2019';
        case Kw::Ldblquote: return u'\u201C';
        case Kw::Rdblquote: return u'\u201D';
        case Kw::Zwj:       return u'\u200D';
        case Kw::Zwnj:      return u'\u200C';
        case Kw::Ltrmark:   return u'\u200E';
        case Kw::Rtlmark:   return u'\u200F';
        default:            return 0;
    }
}
// clang-format on

}  // namespace vernalo
