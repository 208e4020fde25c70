#include "documents/rtf/rtfreader.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "documents/rtf/rtfformatwords.h"
#include "documents/rtf/rtfkeywords.h"
#include "documents/rtf/rtftables.h"
#include "text/codepagetable.h"
#include "text/textcodec.h"

// The parser is one class local to this file, so that the compiler can fold the per-byte
// path into one loop. Reading a control word and naming its keyword is rtfkeywords.cpp;
// the format words are rtfformatwords.cpp, the font and colour tables rtftables.cpp.

namespace vernalo {
namespace {

// Deeper groups than this share the state of the deepest kept one, so hostile
// nesting costs neither stack nor memory.
constexpr std::size_t kMaxDepth = 512;

std::size_t SkipBlanksAndMark(std::string_view bytes) {
    std::size_t i = 0;
    if (bytes.starts_with("\xEF\xBB\xBF")) i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' ||
                                bytes[i] == '\n' || bytes[i] == '\f' || bytes[i] == '\v'))
        ++i;
    return i;
}

enum class Dest : std::uint8_t { Text, Skip, FontTable, ColorTable, SkipUntilResult };

using Kw = RtfKeyword;

struct State {
    RtfCharState chr;
    ParagraphFormat para;
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

class Parser {
public:
    explicit Parser(std::string_view bytes)
        : p_(reinterpret_cast<const unsigned char*>(bytes.data())), end_(p_ + bytes.size()) {
        p_ += SkipBlanksAndMark(bytes);
        ansi_ = &CodePageTable(1252);
        // No more units than bytes: the text never moves as it grows.
        doc_.ReserveText(bytes.size());
    }

    RichDocument Run() {
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
        doc_.Finish(st_.para);
        return std::move(doc_);
    }

private:
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

    // Where text in the current format goes: the end of the document's text.
    std::u16string& CurrentRun() {
        if (pendingPar_) FlushParagraph();
        if (pendingTabs_) {
            int n = pendingTabs_;
            pendingTabs_ = 0;
            CurrentRun().append(static_cast<std::size_t>(n), u'\t');
        }
        if (!runValid_) {
            const RtfCharState& c = st_.chr;
            CharFormat f;
            const RtfFontTable::Font* font = fonts_.Find(c.font < 0 ? deff_ : c.font);
            page_ = font ? font->page : ansi_;
            if (c.font >= 0 && c.font != deff_ && font) f.font = font->modelIndex;
            f.halfPoints = c.halfPoints;
            f.color = colours_.Colour(c.color);
            f.background = colours_.Colour(c.background);
            f.bold = c.bold;
            f.italic = c.italic;
            f.underline = c.underline;
            f.strike = c.strike;
            doc_.BeginRun(f);
            runValid_ = true;
        }
        return doc_.RunText();
    }

    bool TakesText() const { return st_.dest == Dest::Text && !st_.chr.hidden; }

    void PutUnit(char16_t u) {
        if (TakesText()) {
            CurrentRun().push_back(u);
        } else if (st_.dest == Dest::FontTable) {
            fonts_.PutUnit(u);
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
            std::u16string& run = CurrentRun();
            PutByte(b, run);
        } else if (st_.dest == Dest::FontTable) {
            FontTableByte(b);
        } else if (st_.dest == Dest::ColorTable && b == ';') {
            colours_.Commit();
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
        std::u16string& run = CurrentRun();
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

    void Break(const ParagraphFormat& format) {
        doc_.EndParagraph(format);
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

    // --- control words and symbols ---

    void Control() {
        if (p_ >= end_) return;
        if (!IsLetter(*p_)) {
            Symbol(*p_++);
            return;
        }
        const RtfControlWord word = ReadRtfControlWord(std::string_view(
            reinterpret_cast<const char*>(p_), static_cast<std::size_t>(end_ - p_)));
        p_ += word.length;
        Word(word.keyword, word.hasParam, word.param);
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

    // --- what control words do ---

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
        if (char16_t u = RtfKeywordCharacter(kw)) {
            PutUnit(u);
            return;
        }
        if (ApplyCharFormatWord(st_.chr, kw, hasParam, param)) {
            FormatChanged();
            return;
        }
        // Every other keyword belongs to one of these; the one that knows it acts.
        if (!ApplyParaFormatWord(st_.para, st_.intbl, kw, hasParam, param) &&
            !DestinationWord(kw, star) && !DocumentWord(kw, hasParam, param))
            BreakWord(kw);
    }

    // \fonttbl, \colortbl and the others that say where the group's text goes.
    bool DestinationWord(Kw kw, bool star) {
        switch (kw) {
            case Kw::Unknown:
                if (star) st_.dest = Dest::Skip;  // an unknown destination
                return true;
            case Kw::FontTable:
                st_.dest = Dest::FontTable;
                return true;
            case Kw::ColorTable:
                st_.dest = Dest::ColorTable;
                colours_.Clear();
                return true;
            case Kw::SkipDest:
                st_.dest = Dest::Skip;
                return true;
            case Kw::Object:
            case Kw::Upr:
                st_.resumeDest = st_.dest;
                st_.dest = Dest::SkipUntilResult;
                return true;
            case Kw::Resume:
            case Kw::FieldResult:
                return true;
            default:
                return false;
        }
    }

    // The document's code page, default font, and characters.
    bool DocumentWord(Kw kw, bool hasParam, std::int64_t param) {
        const int p = ClampRtfParam(param, INT_MIN / 2, INT_MAX / 2);
        switch (kw) {
            case Kw::Ansi:
                SetAnsi(1252);
                return true;
            case Kw::Mac:
                SetAnsi(10000);
                return true;
            case Kw::Pc:
                SetAnsi(437);
                return true;
            case Kw::Pca:
                SetAnsi(850);
                return true;
            case Kw::AnsiCpg:
                if (p > 0) SetAnsi(p);
                return true;
            case Kw::Deff:
                deff_ = p;
                FormatChanged();
                return true;
            case Kw::Uc:
                st_.uc = ClampRtfParam(param, 0, 16);
                return true;
            case Kw::U:
                if (hasParam) Unicode(param);
                return true;
            default:
                return false;
        }
    }

    // Paragraph, cell and row ends.
    bool BreakWord(Kw kw) {
        switch (kw) {
            case Kw::Par:
                EndParagraph();
                return true;
            case Kw::Cell:
                if (TakesText()) {
                    pendingPar_ = false;
                    ++pendingTabs_;
                }
                return true;
            case Kw::Row:
                if (st_.dest == Dest::Text) {
                    pendingPar_ = false;
                    pendingTabs_ = 0;
                    Break(st_.para);
                }
                return true;
            case Kw::NestRow:
                return true;
            default:
                return false;
        }
    }

    void SetAnsi(int codePage) {
        ansiCp_ = codePage;
        ansi_ = &CodePageTable(codePage);
        FormatChanged();
    }

    // --- font and colour tables ---

    void FontTableByte(unsigned char b, bool escaped = false) {
        if (b == ';' && !escaped) {
            CommitFont();
            return;
        }
        fonts_.PutByte(b, ansiCp_, *ansi_);
    }

    void CommitFont() {
        if (fonts_.Commit(ansiCp_, doc_.fonts)) runValid_ = false;
    }

    void FontTableWord(Kw kw, bool hasParam, bool star, std::int64_t param) {
        switch (kw) {
            case Kw::F:
                CommitFont();
                fonts_.Begin(ClampRtfParam(param, INT_MIN / 2, INT_MAX / 2));
                return;
            case Kw::FCharset:
                fonts_.SetCharset(ClampRtfParam(param, 0, 255));
                return;
            case Kw::Cpg:
                fonts_.SetCodePage(ClampRtfParam(param, 0, 65535));
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
        if (!colours_.Word(kw, param) && kw == Kw::Unknown && star) st_.dest = Dest::Skip;
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
    ParagraphFormat pendingFormat_;
    int pendingLead_ = -1;

    int ansiCp_ = 1252;
    const CodePageDecoder* ansi_;
    const CodePageDecoder* page_ = nullptr;
    int deff_ = 0;  // font 0 unless \deff says otherwise
    RtfFontTable fonts_;
    RtfColourTable colours_;

    RichDocument doc_;
    bool runValid_ = false;
};

}  // namespace

bool IsRtf(std::string_view bytes) {
    return bytes.substr(SkipBlanksAndMark(bytes)).starts_with("{\\rtf");
}

RichDocument ReadRtf(std::string_view bytes) {
    return Parser(bytes).Run();
}

namespace {

bool TakesRtf(std::string_view bytes, std::u16string_view) {
    return IsRtf(bytes);
}

// Never refused: a damaged file gives what could be read.
ReadResult ReadRtfFile(std::string_view bytes, const ReadControl&) {
    ReadResult r;
    r.ok = true;
    r.document = ReadRtf(bytes);
    return r;
}

}  // namespace

const DocumentFormat kRtfFormat{"rich text (RTF)", DocumentKind::None, TakesRtf, ReadRtfFile};

}  // namespace vernalo
