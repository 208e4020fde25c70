#pragma once
// A rich-text document as the editor needs it: paragraphs with alignment and
// indents, made of runs of characters that share one character format. Every document
// reader produces it, the RTF writer consumes it, and the Qt bridge maps it onto a
// QTextDocument.
//
// Stored compactly, so that a document of one-character runs or empty paragraphs takes
// little more than its text: all text in one string (paragraphs apart by '\n'), each
// distinct format once, and 8 bytes per run and per paragraph.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "documents/model/bookdetails.h"

namespace vernalo {

enum class Alignment : std::uint8_t { Left, Center, Right, Justify };

struct CharFormat {
    // Index into RichDocument::fonts; -1 leaves the editor's own font in place.
    int font = -1;
    // Font size in half-points; 0 leaves the editor's size in place.
    int halfPoints = 0;
    // 0xRRGGBB, or -1 for the automatic colour.
    std::int32_t color = -1;
    std::int32_t background = -1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;

    bool operator==(const CharFormat&) const = default;
};

struct ParagraphFormat {
    Alignment align = Alignment::Left;
    // Indents in twips; the first-line indent is relative to the left one.
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;

    bool operator==(const ParagraphFormat&) const = default;
};

// A run or a paragraph as a value: what documents are built from, and what tests compare.
struct TextRun {
    CharFormat format;
    // A line break inside the paragraph is U+2028, a tab '\t'.
    std::u16string text;
};

struct Paragraph {
    ParagraphFormat format;
    std::vector<TextRun> runs;

    std::u16string text() const;
};

// Elements in blocks of a fixed size: growing never copies what is there, so a long
// document never needs its records twice over.
template <class T>
class BlockVector {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& operator[](std::size_t i) const { return blocks_[i >> kShift][i & kMask]; }
    T& back() { return blocks_[(size_ - 1) >> kShift][(size_ - 1) & kMask]; }
    void push_back(const T& v) {
        if ((size_ & kMask) == 0 && (size_ >> kShift) == blocks_.size()) {
            blocks_.emplace_back();
            blocks_.back().reserve(kMask + 1);
        }
        blocks_[size_ >> kShift].push_back(v);
        ++size_;
    }
    void pop_back() {
        --size_;
        blocks_[size_ >> kShift].pop_back();
    }
    void clear() {
        blocks_.clear();
        size_ = 0;
    }

private:
    static constexpr std::size_t kShift = 13;
    static constexpr std::size_t kMask = (std::size_t{1} << kShift) - 1;
    std::vector<std::vector<T>> blocks_;
    std::size_t size_ = 0;
};

// A heading of the document (a chapter, a section, a bookmark): what the contents list.
struct Heading {
    std::u16string title;
    // 1 is the top; deeper headings count up.
    int level = 1;
    // Where its paragraph starts in text(), 0-based UTF-16.
    std::size_t position = 0;

    bool operator==(const Heading&) const = default;
};

class RichDocument {
public:
    // Font family names; CharFormat::font indexes this list.
    std::vector<std::u16string> fonts;
    // In the order of their positions; none for plain text.
    std::vector<Heading> headings;
    // The document's own title (a book's), when it names one.
    std::u16string title;
    // Its author, language, year and cover, where a book names them.
    BookDetails book;

    // --- reading ---

    struct RunView {
        const CharFormat& format;
        std::u16string_view text;  // never empty
    };
    struct ParagraphView {
        const ParagraphFormat& format;
        std::size_t firstRun;  // runs [firstRun, firstRun + runCount)
        std::size_t runCount;
        std::size_t textStart;  // offset of the paragraph's text in Text()
    };

    // Once read, never zero: an empty document has one empty paragraph.
    std::size_t paragraphCount() const { return paras_.size(); }
    // Calls para(ParagraphView) for each paragraph in order, and run(RunView) for each of
    // its runs after it.
    template <class ParaFn, class RunFn>
    void forEach(ParaFn&& para, RunFn&& run) const {
        std::size_t r = 0, t = 0;
        for (std::size_t p = 0; p < paras_.size(); ++p) {
            const Para& pr = paras_[p];
            para(ParagraphView{paraFormats_[pr.format], r, pr.runs, t});
            for (std::uint32_t k = 0; k < pr.runs; ++k, ++r) {
                const Run& rr = runs_[r];
                run(RunView{charFormats_[rr.format],
                            std::u16string_view(text_).substr(t, rr.length)});
                t += rr.length;
            }
            ++t;  // the '\n' between paragraphs
        }
    }
    // The paragraphs as values; for small documents and tests.
    std::vector<Paragraph> paragraphs() const;

    // Paragraphs joined by '\n'; line breaks inside a paragraph (U+2028) stay as they are.
    const std::u16string& text() const { return text_; }
    // Paragraphs joined by '\n'; line breaks inside a paragraph become '\n' too,
    // so each counts as one unit like the editor's.
    std::u16string plainText() const;
    // PlainText without a copy: the document is left empty.
    std::u16string takePlainText();
    // Text() without a copy: the document is left empty.
    std::u16string takeText();

    // --- building ---

    // Appends a whole paragraph.
    void addParagraph(const Paragraph& paragraph);
    // Appends text in `format` to the paragraph being built.
    void addText(const CharFormat& format, std::u16string_view text);
    // Ends the paragraph being built (an empty one when nothing was added).
    void endParagraph(const ParagraphFormat& format);
    // After the last EndParagraph or AddText: ends a paragraph that holds text, and makes an
    // empty document one empty paragraph; the paragraph being built is dropped when empty.
    void finish(const ParagraphFormat& format);

    // The reader's fast road: BeginRun, then units pushed onto runText() directly.
    void beginRun(const CharFormat& format);
    std::u16string& runText() { return text_; }
    // Room for this many units of text, so that the text is not copied as it grows.
    void reserveText(std::size_t units) { text_.reserve(units); }
    // Where the next text added will stand in text(): a heading is recorded here before its
    // text is added.
    std::size_t nextTextPosition() const {
        return text_.size() + (!openStarted_ && !paras_.empty() ? 1 : 0);
    }
    // Records a heading at `position` (nextTextPosition() before its text was added); a
    // blank title, or one at or before the last one's position, is dropped, so an empty
    // section or two marks on one paragraph list once.
    void addHeading(std::u16string_view title, int level, std::size_t position);

private:
    friend RichDocument PlainTextDocument(std::u16string text);

    struct Run {
        std::uint32_t length;
        std::uint32_t format;  // index into charFormats_
    };
    struct Para {
        std::uint32_t format;  // index into paraFormats_
        std::uint32_t runs;
    };
    struct FormatHash {
        std::size_t operator()(const CharFormat& f) const;
        std::size_t operator()(const ParagraphFormat& f) const;
    };
    // Distinct formats beyond this many (only hostile files have them) take the last one's
    // place instead of growing the table without bound.
    static constexpr std::size_t kMaxFormats = 1 << 16;
    // More headings than any book has (each is a line of the contents and a block format of
    // its own in the editor); a hostile file's further ones are dropped.
    static constexpr std::size_t kMaxHeadings = 20'000;

    std::uint32_t charFormatIndex(const CharFormat& f);
    std::uint32_t paraFormatIndex(const ParagraphFormat& f);
    void startParagraph();
    void closeRun();

    std::u16string text_;
    BlockVector<Run> runs_;
    BlockVector<Para> paras_;
    std::vector<CharFormat> charFormats_;
    std::vector<ParagraphFormat> paraFormats_;
    std::unordered_map<CharFormat, std::uint32_t, FormatHash> charIndex_;
    std::unordered_map<ParagraphFormat, std::uint32_t, FormatHash> paraIndex_;

    // The paragraph being built: its runs so far and whether its '\n' is in the text.
    std::uint32_t openRuns_ = 0;
    bool openStarted_ = false;
    // The run being built, from runStart_ in the text; none when !runOpen_.
    bool runOpen_ = false;
    std::uint32_t runFormat_ = 0;
    std::size_t runStart_ = 0;
};

// A plain text as a document: one paragraph per line, no formatting. The text is taken
// over, not copied.
RichDocument PlainTextDocument(std::u16string text);

}  // namespace vernalo
