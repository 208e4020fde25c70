#include "documents/rtfreader.h"

#include <climits>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "documents/rtfcodepage.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

// Deeper groups than this share the state of the deepest kept one, so hostile
// nesting costs neither stack nor memory.
constexpr std::size_t kMaxDepth = 512;
// Control-word names longer than this are nobody's; parameters are saturated.
constexpr std::size_t kMaxName = 32;
constexpr std::int64_t kParamLimit = 1'000'000'000'000LL;

std::size_t SkipBlanksAndMark(std::string_view bytes) {
    std::size_t i = 0;
    if (bytes.starts_with("\xEF\xBB\xBF")) i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' ||
                                bytes[i] == '\n' || bytes[i] == '\f' || bytes[i] == '\v'))
        ++i;
    return i;
}

enum class Dest : std::uint8_t { Text, Skip, FontTable, ColorTable, SkipUntilResult };

// clang-format off
enum class Kw : std::uint8_t {
    Unknown,
    // Destinations.
    FontTable, ColorTable, SkipDest, Object, Upr, Resume, FieldResult,
    // Document.
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff, Uc, U, Bin,
    // Font and colour tables.
    F, FCharset, Cpg, Red, Green, Blue,
    // Characters and breaks.
    Par, Line, Tab, Cell, Row, NestRow, Emdash, Endash, Emspace, Enspace, Qmspace, Bullet, Lquote,
    Rquote, Ldblquote, Rdblquote, Zwj, Zwnj, Ltrmark, Rtlmark,
    // Character format.
    Plain, B, I, Ul, UlNone, Strike, Fs, Cf, Cb, V,
    // Paragraph format.
    Pard, Intbl, Ql, Qc, Qr, Qj, Li, Ri, Fi,
};

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
            {"fi", Kw::Fi},
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

Kw Lookup(std::string_view name) {
    if (name.size() > kMaxName) return Kw::Unknown;
    const auto& map = Keywords();
    auto it = map.find(name);
    return it == map.end() ? Kw::Unknown : it->second;
}

struct CharState {
    int font = -1;  // RTF font number; -1 for the default font
    int halfPoints = 0;
    int color = 0;  // colour-table indices; 0 is automatic
    int background = 0;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
};

struct State {
    CharState chr;
    RtfParaFormat para;
    Dest dest = Dest::Text;
    Dest resumeDest = Dest::Text;  // where \result or \ud inside an object or \upr goes on
    bool intbl = false;
    int uc = 1;
};

bool IsHex(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(unsigned char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}
bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int ClampInt(std::int64_t v, int lo, int hi) {
    return v < lo ? lo : v > hi ? hi : static_cast<int>(v);
}

class Parser {
public:
    explicit Parser(std::string_view bytes)
        : p_(reinterpret_cast<const unsigned char*>(bytes.data())), end_(p_ + bytes.size()) {
        p_ += SkipBlanksAndMark(bytes);
        ansi_ = &CodePageTable(1252);
    }

    RtfDocument Run() {
        while (p_ < end_ && !done_) {
            unsigned char c = *p_;
            if (c == '{') {
                ++p_;
                Open();
            } else if (c == '}') {
                ++p_;
                Close();
            } else if (c == '\\') {
                ++p_;
                Control();
            } else if (c == '\r' || c == '\n') {
                ++p_;
            } else {
                TextBytes();
            }
        }
        if (st_.dest == Dest::FontTable) CommitFont();
        if (pendingPar_) FlushParagraph();
        if (!cur_.runs.empty() || doc_.paragraphs.empty()) {
            cur_.format = st_.para;
            doc_.paragraphs.push_back(std::move(cur_));
        }
        return std::move(doc_);
    }

private:
    struct Font {
        int modelIndex;
        const RtfCodePage* page;
    };

    // --- groups ---

    void Open() {
        skip_ = 0;
        if (stack_.size() < kMaxDepth) {
            stack_.push_back(st_);
        } else {
            ++overflow_;
        }
    }

    void Close() {
        skip_ = 0;
        star_ = false;
        if (overflow_) {
            --overflow_;
            return;
        }
        if (stack_.empty()) {
            done_ = true;
            return;
        }
        if (st_.dest == Dest::FontTable) CommitFont();
        st_ = stack_.back();
        stack_.pop_back();
        FormatChanged();
        if (stack_.empty()) done_ = true;  // the document's own group has closed
    }

    // --- text ---

    void FormatChanged() {
        runValid_ = false;
        pendingLead_ = -1;
    }

    // The run that text in the current format goes to.
    std::u16string& Run_() {
        if (pendingPar_) FlushParagraph();
        if (pendingTabs_) {
            int n = pendingTabs_;
            pendingTabs_ = 0;
            Run_().append(static_cast<std::size_t>(n), u'\t');
        }
        if (!runValid_) {
            const CharState& c = st_.chr;
            RtfCharFormat f;
            int fontNum = c.font < 0 ? deff_ : c.font;
            auto it = fonts_.find(fontNum);
            page_ = it == fonts_.end() ? ansi_ : it->second.page;
            if (c.font >= 0 && c.font != deff_ && it != fonts_.end())
                f.font = it->second.modelIndex;
            f.halfPoints = c.halfPoints;
            f.color = Colour(c.color);
            f.background = Colour(c.background);
            f.bold = c.bold;
            f.italic = c.italic;
            f.underline = c.underline;
            f.strike = c.strike;
            if (cur_.runs.empty() || !(cur_.runs.back().format == f)) cur_.runs.push_back({f, {}});
            runValid_ = true;
        }
        return cur_.runs.back().text;
    }

    std::int32_t Colour(int index) const {
        return index > 0 && static_cast<std::size_t>(index) < colors_.size() ? colors_[index] : -1;
    }

    bool TakesText() const { return st_.dest == Dest::Text && !st_.chr.hidden; }

    void PutUnit(char16_t u) {
        if (TakesText()) {
            Run_().push_back(u);
        } else if (st_.dest == Dest::FontTable) {
            fontName_.push_back(u);
        }
    }

    // One byte of text in the current font's code page.
    void PutByte(unsigned char b, std::u16string& out) {
        if (pendingLead_ >= 0) {
            DecodeDoubleByte(*page_, static_cast<std::uint8_t>(pendingLead_), b, out);
            pendingLead_ = -1;
        } else if (page_->doubleByte && page_->lead[b]) {
            pendingLead_ = b;
        } else {
            out.push_back(page_->units[b]);
        }
    }

    void Byte(unsigned char b) {
        if (TakesText()) {
            std::u16string& run = Run_();
            PutByte(b, run);
        } else if (st_.dest == Dest::FontTable) {
            FontTableByte(b);
        } else if (st_.dest == Dest::ColorTable && b == ';') {
            CommitColour();
        }
    }

    // An escaped byte (\'3b, \{) is part of the name even when it is the ';' that
    // otherwise ends the entry.
    void EscapedByte(unsigned char b) {
        if (st_.dest == Dest::FontTable) {
            FontTableByte(b, true);
        } else {
            Byte(b);
        }
    }

    void FontTableByte(unsigned char b, bool escaped = false) {
        if (b == ';' && !escaped) {
            CommitFont();
            return;
        }
        const RtfCodePage& page =
            fontCharset_ >= 0 ? CodePageTable(CharsetCodePage(fontCharset_, ansiCp_)) : *ansi_;
        fontName_.push_back(page.units[b]);
    }

    void TextBytes() {
        const unsigned char* s = p_;
        while (p_ < end_ && *p_ != '{' && *p_ != '}' && *p_ != '\\' && *p_ != '\r' && *p_ != '\n')
            ++p_;
        while (skip_ > 0 && s < p_) {
            --skip_;
            ++s;
        }
        if (s == p_) return;
        if (!TakesText()) {
            for (; s < p_; ++s)
                Byte(*s);
            return;
        }
        std::u16string& run = Run_();
        run.reserve(run.size() + static_cast<std::size_t>(p_ - s));
        for (; s < p_; ++s) {
            unsigned char b = *s;
            if (b < 0x20) {
                if (b == '\t') run.push_back(u'\t');
            } else if (b < 0x80 && pendingLead_ < 0) {
                run.push_back(b);
            } else {
                PutByte(b, run);
            }
        }
    }

    void Break(const RtfParaFormat& format) {
        cur_.format = format;
        doc_.paragraphs.push_back(std::move(cur_));
        cur_ = RtfParagraph();
        runValid_ = false;
        pendingLead_ = -1;
    }

    void FlushParagraph() {
        pendingPar_ = false;
        Break(pendingFormat_);
    }

    // Writers end a cell's last paragraph with \par before \cell; that mark waits, so
    // that a row stays one line with its cells apart by tabs.
    void EndParagraph() {
        if (st_.dest != Dest::Text) return;
        if (pendingPar_) FlushParagraph();
        if (st_.intbl) {
            pendingPar_ = true;
            pendingFormat_ = st_.para;
        } else {
            Break(st_.para);
        }
    }

    // --- tables ---

    void CommitFont() {
        if (fontNum_ == INT_MIN) return;
        std::size_t b = fontName_.find_first_not_of(u' ');
        std::size_t e = fontName_.find_last_not_of(u' ');
        std::u16string name =
            b == fontName_.npos ? std::u16string() : fontName_.substr(b, e - b + 1);
        int cp = fontCodePage_ > 0   ? fontCodePage_
                 : fontCharset_ >= 0 ? CharsetCodePage(fontCharset_, ansiCp_)
                                     : ansiCp_;
        if (!fonts_.contains(fontNum_)) {
            fonts_[fontNum_] = {static_cast<int>(doc_.fonts.size()), &CodePageTable(cp)};
            doc_.fonts.push_back(std::move(name));
        }
        fontNum_ = INT_MIN;
        fontCharset_ = -1;
        fontCodePage_ = 0;
        fontName_.clear();
        runValid_ = false;
    }

    void CommitColour() {
        colors_.push_back(colourSet_ ? (red_ << 16 | green_ << 8 | blue_) : -1);
        red_ = green_ = blue_ = 0;
        colourSet_ = false;
    }

    // --- control words and symbols ---

    void Control() {
        if (p_ >= end_) return;
        if (!IsLetter(*p_)) {
            Symbol(*p_++);
            return;
        }
        const unsigned char* s = p_;
        while (p_ < end_ && IsLetter(*p_))
            ++p_;
        std::string_view name(reinterpret_cast<const char*>(s), static_cast<std::size_t>(p_ - s));
        bool hasParam = false;
        std::int64_t param = 0;
        bool negative = false;
        if (p_ + 1 < end_ && *p_ == '-' && p_[1] >= '0' && p_[1] <= '9') {
            negative = true;
            ++p_;
        }
        while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
            hasParam = true;
            if (param < kParamLimit) param = param * 10 + (*p_ - '0');
            ++p_;
        }
        if (negative) param = -param;
        if (p_ < end_ && *p_ == ' ') ++p_;
        Word(Lookup(name), hasParam, param);
    }

    void Symbol(unsigned char c) {
        if (c == '*') {
            star_ = true;
            return;
        }
        if (c == '\'') {
            // A cut escape ("\'4 ") is dropped with its one digit.
            if (p_ < end_ && IsHex(p_[0]) && (p_ + 1 >= end_ || !IsHex(p_[1]))) {
                ++p_;
            } else if (p_ + 1 < end_ && IsHex(p_[0]) && IsHex(p_[1])) {
                auto b = static_cast<unsigned char>(HexValue(p_[0]) << 4 | HexValue(p_[1]));
                p_ += 2;
                if (skip_ > 0) {
                    --skip_;
                } else {
                    EscapedByte(b);
                }
            }
            return;
        }
        if (skip_ > 0) {
            --skip_;
            return;
        }
        switch (c) {
            case '\\':
            case '{':
            case '}':
                EscapedByte(c);
                break;
            case '~':
                PutUnit(u'\u00A0');
                break;
            case '-':
                PutUnit(u'\u00AD');
                break;
            case '_':
                PutUnit(u'\u2011');
                break;
            case '\t':
                PutUnit(u'\t');
                break;
            case '\r':
            case '\n':
                EndParagraph();
                break;
            default:
                break;
        }
    }

    void Unicode(std::int64_t n) {
        if (n < 0) n += 65536;
        if (n >= 0 && n <= 0xFFFF) {
            PutUnit(static_cast<char16_t>(n));
        } else if (n >= 0x10000 && n <= 0x10FFFF) {
            n -= 0x10000;
            PutUnit(static_cast<char16_t>(0xD800 + (n >> 10)));
            PutUnit(static_cast<char16_t>(0xDC00 + (n & 0x3FF)));
        } else {
            PutUnit(u'\uFFFD');
        }
        skip_ = st_.uc;
    }

    void SkipBinary(std::int64_t n) {
        if (n <= 0) return;
        auto left = static_cast<std::int64_t>(end_ - p_);
        p_ += n < left ? n : left;
    }

    void Word(Kw kw, bool hasParam, std::int64_t param) {
        bool star = star_;
        star_ = false;
        if (kw == Kw::Bin) {  // binary data is skipped wherever it stands
            SkipBinary(param);
            if (skip_ > 0) --skip_;
            return;
        }
        switch (st_.dest) {
            case Dest::Skip:
                return;
            case Dest::SkipUntilResult:
                if (kw == Kw::Resume) st_.dest = st_.resumeDest;
                return;
            case Dest::FontTable:
                FontTableWord(kw, hasParam, star, param);
                return;
            case Dest::ColorTable:
                ColourTableWord(kw, star, param);
                return;
            case Dest::Text:
                break;
        }
        if (skip_ > 0 && kw != Kw::FontTable && kw != Kw::ColorTable && kw != Kw::SkipDest) {
            --skip_;
            return;
        }
        const int p = ClampInt(param, INT_MIN / 2, INT_MAX / 2);
        const bool on = !hasParam || param != 0;
        CharState& c = st_.chr;
        RtfParaFormat& para = st_.para;
        switch (kw) {
            case Kw::Unknown:
                if (star) st_.dest = Dest::Skip;
                return;
            case Kw::FontTable:
                st_.dest = Dest::FontTable;
                return;
            case Kw::ColorTable:
                st_.dest = Dest::ColorTable;
                colors_.clear();
                return;
            case Kw::SkipDest:
                st_.dest = Dest::Skip;
                return;
            case Kw::Object:
            case Kw::Upr:
                st_.resumeDest = st_.dest;
                st_.dest = Dest::SkipUntilResult;
                return;
            case Kw::Resume:
            case Kw::FieldResult:
                return;
            case Kw::Ansi:
                SetAnsi(1252);
                return;
            case Kw::Mac:
                SetAnsi(10000);
                return;
            case Kw::Pc:
                SetAnsi(437);
                return;
            case Kw::Pca:
                SetAnsi(850);
                return;
            case Kw::AnsiCpg:
                if (p > 0) SetAnsi(p);
                return;
            case Kw::Deff:
                deff_ = p;
                FormatChanged();
                return;
            case Kw::Uc:
                st_.uc = ClampInt(param, 0, 16);
                return;
            case Kw::U:
                if (hasParam) Unicode(param);
                return;
            case Kw::F:
                c.font = p;
                break;
            case Kw::Par:
                EndParagraph();
                return;
            case Kw::Line:
                PutUnit(u'\u2028');
                return;
            case Kw::Tab:
                PutUnit(u'\t');
                return;
            case Kw::Cell:
                if (TakesText()) {
                    pendingPar_ = false;
                    ++pendingTabs_;
                }
                return;
            case Kw::Row:
                if (st_.dest == Dest::Text) {
                    pendingPar_ = false;
                    pendingTabs_ = 0;
                    Break(st_.para);
                }
                return;
            case Kw::NestRow:
                return;
            case Kw::Emdash:
                PutUnit(u'\u2014');
                return;
            case Kw::Endash:
                PutUnit(u'\u2013');
                return;
            case Kw::Emspace:
                PutUnit(u'\u2003');
                return;
            case Kw::Enspace:
                PutUnit(u'\u2002');
                return;
            case Kw::Qmspace:
                PutUnit(u'\u2005');
                return;
            case Kw::Bullet:
                PutUnit(u'\u2022');
                return;
            case Kw::Lquote:
                PutUnit(u'\u2018');
                return;
            case Kw::Rquote:
                PutUnit(u'\u2019');
                return;
            case Kw::Ldblquote:
                PutUnit(u'\u201C');
                return;
            case Kw::Rdblquote:
                PutUnit(u'\u201D');
                return;
            case Kw::Zwj:
                PutUnit(u'\u200D');
                return;
            case Kw::Zwnj:
                PutUnit(u'\u200C');
                return;
            case Kw::Ltrmark:
                PutUnit(u'\u200E');
                return;
            case Kw::Rtlmark:
                PutUnit(u'\u200F');
                return;
            case Kw::Plain:
                c = CharState();
                break;
            case Kw::B:
                c.bold = on;
                break;
            case Kw::I:
                c.italic = on;
                break;
            case Kw::Ul:
                c.underline = on;
                break;
            case Kw::UlNone:
                c.underline = false;
                break;
            case Kw::Strike:
                c.strike = on;
                break;
            case Kw::Fs:
                c.halfPoints = hasParam ? ClampInt(param, 0, 3276) : 24;
                break;
            case Kw::Cf:
                c.color = ClampInt(param, 0, INT_MAX);
                break;
            case Kw::Cb:
                c.background = ClampInt(param, 0, INT_MAX);
                break;
            case Kw::V:
                c.hidden = on;
                break;
            case Kw::Pard:
                para = RtfParaFormat();
                st_.intbl = false;
                return;
            case Kw::Intbl:
                st_.intbl = on;
                return;
            case Kw::Ql:
                para.align = RtfAlign::Left;
                return;
            case Kw::Qc:
                para.align = RtfAlign::Center;
                return;
            case Kw::Qr:
                para.align = RtfAlign::Right;
                return;
            case Kw::Qj:
                para.align = RtfAlign::Justify;
                return;
            case Kw::Li:
                para.leftIndent = ClampInt(param, -1'000'000, 1'000'000);
                return;
            case Kw::Ri:
                para.rightIndent = ClampInt(param, -1'000'000, 1'000'000);
                return;
            case Kw::Fi:
                para.firstIndent = ClampInt(param, -1'000'000, 1'000'000);
                return;
            default:
                return;
        }
        FormatChanged();
    }

    void SetAnsi(int codePage) {
        ansiCp_ = codePage;
        ansi_ = &CodePageTable(codePage);
        FormatChanged();
    }

    void FontTableWord(Kw kw, bool hasParam, bool star, std::int64_t param) {
        switch (kw) {
            case Kw::F:
                CommitFont();
                fontNum_ = ClampInt(param, INT_MIN / 2, INT_MAX / 2);
                return;
            case Kw::FCharset:
                fontCharset_ = ClampInt(param, 0, 255);
                return;
            case Kw::Cpg:
                fontCodePage_ = ClampInt(param, 0, 65535);
                return;
            case Kw::U:
                if (hasParam) Unicode(param);
                return;
            case Kw::SkipDest:
                st_.dest = Dest::Skip;
                return;
            case Kw::Unknown:
                if (star) st_.dest = Dest::Skip;
                return;
            default:
                return;
        }
    }

    void ColourTableWord(Kw kw, bool star, std::int64_t param) {
        int v = ClampInt(param, 0, 255);
        switch (kw) {
            case Kw::Red:
                red_ = v, colourSet_ = true;
                return;
            case Kw::Green:
                green_ = v, colourSet_ = true;
                return;
            case Kw::Blue:
                blue_ = v, colourSet_ = true;
                return;
            case Kw::Unknown:
                if (star) st_.dest = Dest::Skip;
                return;
            default:
                return;
        }
    }

    const unsigned char* p_;
    const unsigned char* end_;
    bool done_ = false;
    State st_;
    std::vector<State> stack_;
    std::size_t overflow_ = 0;
    bool star_ = false;
    int skip_ = 0;  // characters still to drop after \u
    int pendingTabs_ = 0;
    bool pendingPar_ = false;
    RtfParaFormat pendingFormat_;
    int pendingLead_ = -1;

    int ansiCp_ = 1252;
    const RtfCodePage* ansi_;
    const RtfCodePage* page_ = nullptr;
    int deff_ = 0;  // font 0 unless \deff says otherwise
    std::unordered_map<int, Font> fonts_;
    int fontNum_ = INT_MIN;
    int fontCharset_ = -1;
    int fontCodePage_ = 0;
    std::u16string fontName_;
    std::vector<std::int32_t> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colourSet_ = false;

    RtfDocument doc_;
    RtfParagraph cur_;
    bool runValid_ = false;
};

}  // namespace

bool IsRtf(std::string_view bytes) {
    return bytes.substr(SkipBlanksAndMark(bytes)).starts_with("{\\rtf");
}

RtfDocument ReadRtf(std::string_view bytes) {
    return Parser(bytes).Run();
}

RtfDocument ReadDocumentBytes(std::string_view bytes) {
    if (IsRtf(bytes)) return ReadRtf(bytes);
    return PlainTextDocument(DecodeTextFile(bytes).text);
}

}  // namespace vernalo
