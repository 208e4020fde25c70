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
    int outline = -1;  // \outlinelevel: 0 is the top heading; -1 body text
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
        doc_.reserveText(bytes.size());
    }

    RichDocument run() {
        while (p_ < end_ && !done_) {
            unsigned char c = *p_;
            if (c == '{') {
                ++p_;
                open();
            } else if (c == '}') {
                ++p_;
                close();
            } else if (c == '\\') {
                ++p_;
                control();
            } else if (c == '\r' || c == '\n') {
                ++p_;
            } else {
                textBytes();
            }
        }
        if (st_.dest == Dest::FontTable) commitFont();
        if (pendingPar_) flushParagraph();
        noteHeading();
        doc_.finish(st_.para);
        return std::move(doc_);
    }

private:
    // --- groups ---

    void open() {
        skip_ = 0;
        if (stack_.size() < kMaxDepth) {
            stack_.push_back(st_);
        } else {
            ++overflow_;
        }
    }

    void close() {
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
        if (st_.dest == Dest::FontTable) commitFont();
        st_ = stack_.back();
        stack_.pop_back();
        formatChanged();
        if (stack_.empty()) done_ = true;  // the document's own group has closed
    }

    // --- text ---

    void formatChanged() {
        runValid_ = false;
        pendingLead_ = -1;
    }

    // Where text in the current format goes: the end of the document's text.
    std::u16string& currentRun() {
        if (pendingPar_) flushParagraph();
        if (pendingTabs_) {
            int n = pendingTabs_;
            pendingTabs_ = 0;
            currentRun().append(static_cast<std::size_t>(n), u'\t');
        }
        if (!runValid_) {
            const RtfCharState& c = st_.chr;
            CharFormat f;
            const RtfFontTable::Font* font = fonts_.find(c.font < 0 ? deff_ : c.font);
            page_ = font ? font->page : ansi_;
            if (c.font >= 0 && c.font != deff_ && font) f.font = font->modelIndex;
            f.halfPoints = c.halfPoints;
            f.color = colours_.colour(c.color);
            f.background = colours_.colour(c.background);
            f.bold = c.bold;
            f.italic = c.italic;
            f.underline = c.underline;
            f.strike = c.strike;
            doc_.beginRun(f);
            runValid_ = true;
        }
        return doc_.runText();
    }

    bool takesText() const { return st_.dest == Dest::Text && !st_.chr.hidden; }

    void putUnit(char16_t u) {
        if (takesText()) {
            currentRun().push_back(u);
        } else if (st_.dest == Dest::FontTable) {
            fonts_.putUnit(u);
        }
    }

    // One byte of text in the current font's code page.
    void putByte(unsigned char b, std::u16string& out) {
        if (pendingLead_ >= 0) {
            DecodeDoubleByte(*page_, static_cast<std::uint8_t>(pendingLead_), b, out);
            pendingLead_ = -1;
        } else if (page_->doubleByte && page_->lead[b]) {
            pendingLead_ = b;
        } else {
            out.push_back(page_->units[b]);
        }
    }

    void byte(unsigned char b) {
        if (takesText()) {
            std::u16string& run = currentRun();
            putByte(b, run);
        } else if (st_.dest == Dest::FontTable) {
            fontTableByte(b);
        } else if (st_.dest == Dest::ColorTable && b == ';') {
            colours_.commit();
        }
    }

    // An escaped byte (\'3b, \{) is part of the name even when it is the ';' that
    // otherwise ends the entry.
    void escapedByte(unsigned char b) {
        if (st_.dest == Dest::FontTable) {
            fontTableByte(b, true);
        } else {
            byte(b);
        }
    }

    void textBytes() {
        const unsigned char* s = p_;
        while (p_ < end_ && *p_ != '{' && *p_ != '}' && *p_ != '\\' && *p_ != '\r' && *p_ != '\n')
            ++p_;
        while (skip_ > 0 && s < p_) {
            --skip_;
            ++s;
        }
        if (s == p_) return;
        if (!takesText()) {
            for (; s < p_; ++s)
                byte(*s);
            return;
        }
        std::u16string& run = currentRun();
        run.reserve(run.size() + static_cast<std::size_t>(p_ - s));
        for (; s < p_; ++s) {
            unsigned char b = *s;
            if (b < 0x20) {
                if (b == '\t') run.push_back(u'\t');
            } else if (b < 0x80 && pendingLead_ < 0) {
                run.push_back(b);
            } else {
                putByte(b, run);
            }
        }
    }

    // A paragraph marked with an outline level is a heading of the contents.
    void noteHeading() {
        if (st_.outline < 0 || doc_.text().size() <= paraStart_) return;
        doc_.addHeading(std::u16string_view(doc_.text()).substr(paraStart_), st_.outline + 1,
                        paraStart_);
    }

    void breakParagraph(const ParagraphFormat& format) {
        noteHeading();
        doc_.endParagraph(format);
        paraStart_ = doc_.nextTextPosition();
        runValid_ = false;
        pendingLead_ = -1;
    }

    void flushParagraph() {
        pendingPar_ = false;
        breakParagraph(pendingFormat_);
    }

    // Writers end a cell's last paragraph with \par before \cell; that mark waits, so
    // that a row stays one line with its cells apart by tabs.
    void endParagraph() {
        if (st_.dest != Dest::Text) return;
        if (pendingPar_) flushParagraph();
        if (st_.intbl) {
            pendingPar_ = true;
            pendingFormat_ = st_.para;
        } else {
            breakParagraph(st_.para);
        }
    }

    // --- control words and symbols ---

    void control() {
        if (p_ >= end_) return;
        if (!IsLetter(*p_)) {
            symbol(*p_++);
            return;
        }
        const RtfControlWord read = ReadRtfControlWord(std::string_view(
            reinterpret_cast<const char*>(p_), static_cast<std::size_t>(end_ - p_)));
        p_ += read.length;
        word(read.keyword, read.hasParam, read.param);
    }

    void symbol(unsigned char c) {
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
                    escapedByte(b);
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
                escapedByte(c);
                break;
            case '~':
                putUnit(u'\u00A0');
                break;
            case '-':
                putUnit(u'\u00AD');
                break;
            case '_':
                putUnit(u'\u2011');
                break;
            case '\t':
                putUnit(u'\t');
                break;
            case '\r':
            case '\n':
                endParagraph();
                break;
            default:
                break;
        }
    }

    void unicode(std::int64_t n) {
        if (n < 0) n += 65536;
        if (n >= 0 && n <= 0xFFFF) {
            putUnit(static_cast<char16_t>(n));
        } else if (n >= 0x10000 && n <= 0x10FFFF) {
            n -= 0x10000;
            putUnit(static_cast<char16_t>(0xD800 + (n >> 10)));
            putUnit(static_cast<char16_t>(0xDC00 + (n & 0x3FF)));
        } else {
            putUnit(u'\uFFFD');
        }
        skip_ = st_.uc;
    }

    void skipBinary(std::int64_t n) {
        if (n <= 0) return;
        auto left = static_cast<std::int64_t>(end_ - p_);
        p_ += n < left ? n : left;
    }

    // --- what control words do ---

    void word(Kw kw, bool hasParam, std::int64_t param) {
        bool star = star_;
        star_ = false;
        if (kw == Kw::Bin) {  // binary data is skipped wherever it stands
            skipBinary(param);
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
                fontTableWord(kw, hasParam, star, param);
                return;
            case Dest::ColorTable:
                colourTableWord(kw, star, param);
                return;
            case Dest::Text:
                break;
        }
        if (skip_ > 0 && kw != Kw::FontTable && kw != Kw::ColorTable && kw != Kw::SkipDest) {
            --skip_;
            return;
        }
        if (char16_t u = RtfKeywordCharacter(kw)) {
            putUnit(u);
            return;
        }
        if (ApplyCharFormatWord(st_.chr, kw, hasParam, param)) {
            formatChanged();
            return;
        }
        if (kw == Kw::Pard) st_.outline = -1;
        if (kw == Kw::OutlineLevel) {
            // 9 is body text, as writers mark a paragraph that leaves the outline.
            st_.outline = hasParam && param >= 9 ? -1 : hasParam ? ClampRtfParam(param, 0, 8) : 0;
            return;
        }
        // Every other keyword belongs to one of these; the one that knows it acts.
        if (!ApplyParaFormatWord(st_.para, st_.intbl, kw, hasParam, param) &&
            !destinationWord(kw, star) && !documentWord(kw, hasParam, param))
            breakWord(kw);
    }

    // \fonttbl, \colortbl and the others that say where the group's text goes.
    bool destinationWord(Kw kw, bool star) {
        switch (kw) {
            case Kw::Unknown:
                if (star) st_.dest = Dest::Skip;  // an unknown destination
                return true;
            case Kw::FontTable:
                st_.dest = Dest::FontTable;
                return true;
            case Kw::ColorTable:
                st_.dest = Dest::ColorTable;
                colours_.clear();
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
    bool documentWord(Kw kw, bool hasParam, std::int64_t param) {
        const int p = ClampRtfParam(param, INT_MIN / 2, INT_MAX / 2);
        switch (kw) {
            case Kw::Ansi:
                setAnsi(1252);
                return true;
            case Kw::Mac:
                setAnsi(10000);
                return true;
            case Kw::Pc:
                setAnsi(437);
                return true;
            case Kw::Pca:
                setAnsi(850);
                return true;
            case Kw::AnsiCpg:
                if (p > 0) setAnsi(p);
                return true;
            case Kw::Deff:
                deff_ = p;
                formatChanged();
                return true;
            case Kw::Uc:
                st_.uc = ClampRtfParam(param, 0, 16);
                return true;
            case Kw::U:
                if (hasParam) unicode(param);
                return true;
            default:
                return false;
        }
    }

    // Paragraph, cell and row ends.
    bool breakWord(Kw kw) {
        switch (kw) {
            case Kw::Par:
                endParagraph();
                return true;
            case Kw::Cell:
                if (takesText()) {
                    pendingPar_ = false;
                    ++pendingTabs_;
                }
                return true;
            case Kw::Row:
                if (st_.dest == Dest::Text) {
                    pendingPar_ = false;
                    pendingTabs_ = 0;
                    breakParagraph(st_.para);
                }
                return true;
            case Kw::NestRow:
                return true;
            default:
                return false;
        }
    }

    void setAnsi(int codePage) {
        ansiCp_ = codePage;
        ansi_ = &CodePageTable(codePage);
        formatChanged();
    }

    // --- font and colour tables ---

    void fontTableByte(unsigned char b, bool escaped = false) {
        if (b == ';' && !escaped) {
            commitFont();
            return;
        }
        fonts_.putByte(b, ansiCp_, *ansi_);
    }

    void commitFont() {
        if (fonts_.commit(ansiCp_, doc_.fonts)) runValid_ = false;
    }

    void fontTableWord(Kw kw, bool hasParam, bool star, std::int64_t param) {
        switch (kw) {
            case Kw::F:
                commitFont();
                fonts_.begin(ClampRtfParam(param, INT_MIN / 2, INT_MAX / 2));
                return;
            case Kw::FCharset:
                fonts_.setCharset(ClampRtfParam(param, 0, 255));
                return;
            case Kw::Cpg:
                fonts_.setCodePage(ClampRtfParam(param, 0, 65535));
                return;
            case Kw::U:
                if (hasParam) unicode(param);
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

    void colourTableWord(Kw kw, bool star, std::int64_t param) {
        if (!colours_.word(kw, param) && kw == Kw::Unknown && star) st_.dest = Dest::Skip;
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
    std::size_t paraStart_ = 0;  // where the paragraph being read starts in the text
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
    return Parser(bytes).run();
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
