#include "documents/word97/wordreader.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/codepagetable.h"

namespace vernalo {
namespace {

constexpr std::string_view kCompoundMagic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kNotText = "this is not a text document.";
constexpr std::string_view kDamaged = "the Word document is damaged";
// A stream beyond this is no real document; reading it would only exhaust memory.
constexpr gsf_off_t kMaxStream = gsf_off_t{1} << 30;

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <class T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

ReadResult Fail(std::string_view error) {
    ReadResult r;
    r.error = std::string(error);
    return r;
}

// libgsf reports a damaged file on standard error as it finds each fault; the reader's
// own message says what matters. Its own domains are silenced whole; from the default
// domain, shared with other libraries, only its "Unable to get child" goes.
void SilenceGsf() {
    static const bool once = [] {
        const auto all =
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                        G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG);
        for (const char* domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(
                domain, all, [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
        g_log_set_handler(
            nullptr, G_LOG_LEVEL_WARNING,
            [](const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer data) {
                if (!g_str_has_prefix(message, "Unable to get child"))
                    g_log_default_handler(domain, level, message, data);
            },
            nullptr);
        return true;
    }();
    (void)once;
}

enum class Stream { Read, Missing, Bad };

Stream ReadStream(GsfInfile* file, const char* name, std::string& out) {
    GPtr<GsfInput> in(gsf_infile_child_by_name(file, name));
    if (!in) return Stream::Missing;
    const gsf_off_t size = gsf_input_size(in.get());
    if (size < 0 || size > kMaxStream) return Stream::Bad;
    out.resize(static_cast<std::size_t>(size));
    if (size > 0 && !gsf_input_read(in.get(), static_cast<std::size_t>(size),
                                    reinterpret_cast<guint8*>(out.data())))
        return Stream::Bad;
    return Stream::Read;
}

// Little-endian numbers at `at`; false when they lie past the end.
bool U16(std::string_view s, std::size_t at, std::uint32_t& v) {
    if (at > s.size() || s.size() - at < 2) return false;
    v = static_cast<std::uint8_t>(s[at]) | static_cast<std::uint8_t>(s[at + 1]) << 8;
    return true;
}

bool U32(std::string_view s, std::size_t at, std::uint32_t& v) {
    std::uint32_t lo, hi;
    if (!U16(s, at, lo) || !U16(s, at + 2, hi)) return false;
    v = lo | hi << 16;
    return true;
}

constexpr std::uint8_t kBold = 1;
constexpr std::uint8_t kItalic = 2;
constexpr std::uint8_t kRowEnd = 4;   // a paragraph mark that ends a table row
constexpr std::uint8_t kHeading = 8;  // in a paragraph of a heading style, shown bold

// Bold and italic set directly on a stretch of the WordDocument stream (byte offsets).
struct CharRun {
    std::uint32_t start, end;
    std::uint8_t format;
};

// Calls fn(opcode, operand) for each property change in a list of them.
template <class Fn>
void ForEachSprm(std::string_view grpprl, Fn&& fn) {
    std::size_t pos = 0;
    std::uint32_t op;
    while (U16(grpprl, pos, op)) {
        pos += 2;
        std::size_t size;
        std::uint32_t length;
        switch (op >> 13) {
            case 2:
            case 4:
            case 5:
                size = 2;
                break;
            case 3:
                size = 4;
                break;
            case 6:  // counted; a table's cell layout counts in 16 bits, plus one
                if (op == 0xD608)
                    size = U16(grpprl, pos, length) ? length + 1 : grpprl.size();
                else
                    size = pos < grpprl.size() ? 1 + static_cast<std::uint8_t>(grpprl[pos]) : 1;
                break;
            case 7:
                size = 3;
                break;
            default:
                size = 1;
                break;
        }
        if (pos >= grpprl.size()) return;
        fn(op, grpprl.substr(pos, size));
        pos += size;
    }
}

// Bold and italic among a run's property changes. A value of 0x81 ("the opposite of the
// style") counts as on: styles' own formatting is not read, and text is seldom bold by style.
std::uint8_t RunFormat(std::string_view grpprl) {
    std::uint8_t format = 0;
    ForEachSprm(grpprl, [&](std::uint32_t op, std::string_view operand) {
        if (op != 0x0835 && op != 0x0836) return;
        const std::uint8_t value = static_cast<std::uint8_t>(operand[0]);
        const std::uint8_t bit = op == 0x0835 ? kBold : kItalic;
        if (value == 1 || value == 0x81)
            format |= bit;
        else
            format &= static_cast<std::uint8_t>(~bit);
    });
    return format;
}

// Whether a paragraph's property changes make its mark the end of a table row (at the
// outer level or in a nested table).
std::uint8_t RowEnd(std::string_view grpprl) {
    std::uint8_t format = 0;
    ForEachSprm(grpprl, [&](std::uint32_t op, std::string_view operand) {
        if ((op == 0x2417 || op == 0x244C) && operand[0] == 1) format = kRowEnd;
    });
    return format;
}

// Which styles are headings, by style number: the built-in "heading 1" to "heading 9"
// (identifiers 1 to 9 in the style sheet), whatever their names.
std::vector<bool> HeadingStyles(std::string_view stsh) {
    std::vector<bool> headings;
    std::uint32_t header, count;
    if (!U16(stsh, 0, header) || !U16(stsh, 2, count)) return headings;
    std::size_t pos = 2 + header;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t size, sti = 0;
        if (!U16(stsh, pos, size)) break;
        if (size >= 2 && U16(stsh, pos + 2, sti)) sti &= 0x0FFF;
        headings.push_back(sti >= 1 && sti <= 9);
        pos += 2 + size;
    }
    return headings;
}

// The runs of the character (or paragraph) property pages the bin table points to. They
// are a bonus: a page that makes no sense is skipped, and its text comes out plain.
std::vector<CharRun> PropertyRuns(std::string_view word, std::string_view bte, bool paragraphs,
                                  const std::vector<bool>& headings = {}) {
    std::vector<CharRun> runs;
    if (bte.size() < 12 || (bte.size() - 4) % 8 != 0) return runs;
    const std::size_t pages = (bte.size() - 4) / 8;
    // Per run: one byte (characters) or a 13-byte entry led by that byte (paragraphs).
    const std::size_t entry = paragraphs ? 13 : 1;
    for (std::size_t i = 0; i < pages; ++i) {
        std::uint32_t pn;
        U32(bte, 4 * (pages + 1) + 4 * i, pn);
        const std::size_t at = static_cast<std::size_t>(pn & 0x3FFFFF) * 512;
        if (at > word.size() || word.size() - at < 512) continue;
        const std::string_view page = word.substr(at, 512);
        const std::size_t count = static_cast<std::uint8_t>(page[511]);
        if (count == 0 || 4 * (count + 1) + entry * count > 511) continue;
        for (std::size_t j = 0; j < count; ++j) {
            CharRun run{0, 0, 0};
            U32(page, 4 * j, run.start);
            U32(page, 4 * (j + 1), run.end);
            const std::size_t offset = 2 * static_cast<std::size_t>(static_cast<std::uint8_t>(
                                               page[4 * (count + 1) + entry * j]));
            if (offset == 0 || offset >= 510) continue;
            std::size_t from = offset + 1;
            std::size_t size = static_cast<std::uint8_t>(page[offset]);
            if (paragraphs) {
                // A count in words, the first word's second byte lost to the count itself;
                // 0 means the real count follows. The style number leads the changes.
                if (size == 0) {
                    size = 2 * static_cast<std::uint8_t>(page[offset + 1]);
                    ++from;
                } else {
                    size = 2 * size - 1;
                }
                std::uint32_t istd = 0;
                if (size >= 2 && U16(page, from, istd) && istd < headings.size() && headings[istd])
                    run.format = kHeading;
                from += 2;
                size = size >= 2 ? size - 2 : 0;
            }
            if (from > 511) continue;
            const std::string_view grpprl =
                page.substr(from, std::min<std::size_t>(size, 511 - from));
            run.format |= paragraphs ? RowEnd(grpprl) : RunFormat(grpprl);
            if (run.end > run.start && run.format) runs.push_back(run);
        }
    }
    std::sort(runs.begin(), runs.end(),
              [](const CharRun& a, const CharRun& b) { return a.start < b.start; });
    return runs;
}

// The format of the character at `fc`; `hint` remembers the last run found, as
// consecutive characters mostly share it.
std::uint8_t FormatAt(const std::vector<CharRun>& runs, std::uint32_t fc, std::size_t& hint) {
    if (runs.empty()) return 0;
    if (hint < runs.size() && runs[hint].start <= fc && fc < runs[hint].end)
        return runs[hint].format;
    auto it = std::upper_bound(runs.begin(), runs.end(), fc,
                               [](std::uint32_t f, const CharRun& r) { return f < r.start; });
    if (it == runs.begin()) return 0;
    --it;
    if (fc >= it->end) return 0;
    hint = static_cast<std::size_t>(it - runs.begin());
    return it->format;
}

// The main document's characters, piece by piece: each piece is either 8-bit text in
// Windows-1252 or UTF-16LE somewhere in the WordDocument stream.
bool PieceText(std::string_view word, std::string_view clx, std::uint32_t ccpText,
               const std::vector<CharRun>& chars, const std::vector<CharRun>& rows,
               std::u16string& out, std::vector<std::uint8_t>& formats) {
    std::size_t pos = 0;
    std::string_view plc;
    while (true) {
        if (pos >= clx.size()) return false;
        std::uint32_t size;
        if (clx[pos] == 0x01) {  // formatting that the pieces refer to: not read
            if (!U16(clx, pos + 1, size)) return false;
            pos += 3 + size;
        } else if (clx[pos] == 0x02) {
            if (!U32(clx, pos + 1, size) || size > clx.size() - pos - 5) return false;
            plc = clx.substr(pos + 5, size);
            break;
        } else {
            return false;
        }
    }
    // n + 1 character positions, then n descriptors of 8 bytes.
    if (plc.size() < 16 || (plc.size() - 4) % 12 != 0) return false;
    const std::size_t pieces = (plc.size() - 4) / 12;
    const CodePageDecoder& cp1252 = CodePageTable(1252);
    out.reserve(ccpText);
    formats.reserve(ccpText);
    std::size_t charHint = 0, rowHint = 0;
    auto formatAt = [&](std::size_t fc) {
        const auto at = static_cast<std::uint32_t>(fc);
        return static_cast<std::uint8_t>(FormatAt(chars, at, charHint) |
                                         FormatAt(rows, at, rowHint));
    };
    std::uint32_t previousEnd = 0;
    for (std::size_t i = 0; i < pieces; ++i) {
        std::uint32_t start, end, fc;
        // Pieces follow one another: no text is read twice, so it cannot outgrow ccpText.
        if (!U32(plc, 4 * i, start) || !U32(plc, 4 * (i + 1), end) ||
            !U32(plc, 4 * (pieces + 1) + 8 * i + 2, fc) || end < start ||
            start != (i == 0 ? 0 : previousEnd))
            return false;
        previousEnd = end;
        if (start >= ccpText) break;
        const std::size_t count = std::min(end, ccpText) - start;
        if (fc & 0x40000000u) {
            const std::size_t at = (fc & 0x3FFFFFFFu) / 2;
            if (at > word.size() || word.size() - at < count) return false;
            for (std::size_t k = 0; k < count; ++k) {
                out += cp1252.units[static_cast<std::uint8_t>(word[at + k])];
                formats.push_back(formatAt(at + k));
            }
        } else {
            const std::size_t at = fc;
            if (at > word.size() || (word.size() - at) / 2 < count) return false;
            for (std::size_t k = 0; k < count; ++k) {
                std::uint32_t unit = 0;
                U16(word, at + 2 * k, unit);
                out += static_cast<char16_t>(unit);
                formats.push_back(formatAt(at + 2 * k));
            }
        }
    }
    return true;
}

// Word's marks into paragraphs: 0x0D ends a paragraph, 0x07 a table cell or, marked so in
// its paragraph's properties, a table row; 0x0B breaks the line; a field shows its result (0x14 to
// 0x15), not its code (0x13 to 0x14); anchors of pictures, notes and comments are dropped.
RichDocument Paragraphs(std::u16string_view text, const std::vector<std::uint8_t>& formats,
                        bool rowsMarked) {
    RichDocument doc;
    std::u16string para;
    std::vector<std::uint8_t> paraFormats;
    std::vector<bool> fields;  // per open field: whether its result is being read
    auto end = [&] {
        while (!para.empty() && para.back() == u'\t') {
            para.pop_back();
            paraFormats.pop_back();
        }
        for (std::size_t from = 0; from < para.size();) {
            std::size_t to = from + 1;
            while (to < para.size() && paraFormats[to] == paraFormats[from])
                ++to;
            CharFormat format;
            format.bold = paraFormats[from] & (kBold | kHeading);
            format.italic = paraFormats[from] & kItalic;
            doc.addText(format, std::u16string_view(para).substr(from, to - from));
            from = to;
        }
        doc.endParagraph(ParagraphFormat{});
        para.clear();
        paraFormats.clear();
    };
    auto put = [&](char16_t c, std::size_t i) {
        para += c;
        paraFormats.push_back(formats[i] & (kBold | kItalic | kHeading));
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == 0x13) {
            fields.push_back(false);
            continue;
        }
        if (c == 0x14) {
            if (!fields.empty()) fields.back() = true;
            continue;
        }
        if (c == 0x15) {
            if (!fields.empty()) fields.pop_back();
            continue;
        }
        if (std::find(fields.begin(), fields.end(), false) != fields.end()) continue;
        switch (c) {
            case 0x0D:
            case 0x0C:  // page or section break
            case 0x0E:  // column break
                end();
                break;
            case 0x07:
                if (rowsMarked) {
                    if (formats[i] & kRowEnd)
                        end();
                    else
                        put(u'\t', i);
                } else if (i + 1 < text.size() && text[i + 1] == 0x07) {
                    // Without paragraph properties, a cell's mark and the row's mark side
                    // by side end the row.
                    end();
                    ++i;
                } else {
                    put(u'\t', i);
                }
                break;
            case 0x0B:
                put(u'\u2028', i);
                break;
            case 0x09:
                put(u'\t', i);
                break;
            case 0x1E:  // non-breaking hyphen
                put(u'-', i);
                break;
            default:
                if (c >= 0x20) put(c, i);
                break;
        }
    }
    if (!para.empty()) end();
    doc.finish(ParagraphFormat{});
    return doc;
}

}  // namespace

bool IsCompoundFile(std::string_view bytes) {
    return bytes.substr(0, kCompoundMagic.size()) == kCompoundMagic;
}

ReadResult ReadWordBytes(std::string_view bytes) {
    if (!IsCompoundFile(bytes)) return Fail(kNotText);
    SilenceGsf();
    GPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                              static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!input) return Fail(kDamaged);
    GError* error = nullptr;
    GPtr<GsfInfile> file(gsf_infile_msole_new(input.get(), &error));
    if (error) g_error_free(error);
    if (!file) return Fail(kDamaged);

    std::string word;
    switch (ReadStream(file.get(), "WordDocument", word)) {
        case Stream::Missing:
            return Fail(kNotText);
        case Stream::Bad:
            return Fail(kDamaged);
        case Stream::Read:
            break;
    }
    // The file information block: its fixed start, then counted arrays of 16-bit,
    // 32-bit and offset-and-length values.
    std::uint32_t ident, nFib, flags, csw, cslw, cbFcLcb, ccpText, fcClx, lcbClx;
    if (!U16(word, 0, ident) || !U16(word, 2, nFib) || !U16(word, 0x0A, flags))
        return Fail(kDamaged);
    if (ident != 0xA5EC)
        return Fail(ident == 0xA5DC ? "it was saved by Word 95 or earlier" : kDamaged);
    if (nFib < 101) return Fail("it was saved by Word 95 or earlier");
    if (flags & 0x0100 || flags & 0x8000) return Fail("it is password-protected");
    const std::size_t rgW = 32;
    if (!U16(word, rgW, csw)) return Fail(kDamaged);
    const std::size_t rgLw = rgW + 2 + 2 * csw;
    if (!U16(word, rgLw, cslw) || cslw < 4 || !U32(word, rgLw + 2 + 3 * 4, ccpText))
        return Fail(kDamaged);
    const std::size_t rgFcLcb = rgLw + 2 + 4 * cslw;
    if (!U16(word, rgFcLcb, cbFcLcb) || cbFcLcb < 34 || !U32(word, rgFcLcb + 2 + 33 * 8, fcClx) ||
        !U32(word, rgFcLcb + 2 + 33 * 8 + 4, lcbClx))
        return Fail(kDamaged);

    // Every character of the text takes at least a byte of the stream.
    if (ccpText > word.size()) return Fail(kDamaged);
    std::string table;
    if (ReadStream(file.get(), flags & 0x0200 ? "1Table" : "0Table", table) != Stream::Read)
        return Fail(kDamaged);
    if (fcClx > table.size() || lcbClx > table.size() - fcClx) return Fail(kDamaged);
    // The bin tables of character and paragraph properties: bold and italic, headings, and
    // which marks end table rows. Either is left out when it is not there.
    // The part of the table stream an offset-and-length pair points to; empty when none.
    auto part = [&](std::size_t pair) {
        std::uint32_t fc = 0, lcb = 0;
        U32(word, rgFcLcb + 2 + pair * 8, fc);
        U32(word, rgFcLcb + 2 + pair * 8 + 4, lcb);
        if (fc > table.size() || lcb > table.size() - fc) return std::string_view();
        return std::string_view(table).substr(fc, lcb);
    };
    const std::vector<CharRun> chars = PropertyRuns(word, part(12), false);
    const std::vector<CharRun> rows = PropertyRuns(word, part(13), true, HeadingStyles(part(1)));
    std::u16string text;
    std::vector<std::uint8_t> formats;
    if (!PieceText(word, std::string_view(table).substr(fcClx, lcbClx), ccpText, chars, rows, text,
                   formats))
        return Fail(kDamaged);
    std::string().swap(word);
    std::string().swap(table);
    ReadResult r;
    r.ok = true;
    const bool rowsMarked = std::any_of(rows.begin(), rows.end(),
                                        [](const CharRun& run) { return run.format & kRowEnd; });
    r.document = Paragraphs(text, formats, rowsMarked);
    return r;
}

namespace {

bool TakesWord97(std::string_view bytes, std::u16string_view) {
    return IsCompoundFile(bytes);
}

ReadResult ReadWord97(std::string_view bytes, const ReadControl&) {
    return ReadWordBytes(bytes);
}

}  // namespace

const DocumentFormat kWord97Format{"Word 97-2003 document", DocumentKind::None, TakesWord97,
                                   ReadWord97};

}  // namespace vernalo
