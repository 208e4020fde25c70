#pragma once
// A rich-text document as the editor needs it: paragraphs with alignment and
// indents, made of runs of characters that share one character format. The RTF
// reader produces it, the writer consumes it, and the Qt bridge maps it onto a
// QTextDocument.

#include <cstdint>
#include <string>
#include <vector>

namespace vernalo {

enum class RtfAlign : std::uint8_t { Left, Center, Right, Justify };

struct RtfCharFormat {
    // Index into RtfDocument::fonts; -1 leaves the editor's own font in place.
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

    bool operator==(const RtfCharFormat&) const = default;
};

struct RtfParaFormat {
    RtfAlign align = RtfAlign::Left;
    // Indents in twips; the first-line indent is relative to the left one.
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;

    bool operator==(const RtfParaFormat&) const = default;
};

struct RtfRun {
    RtfCharFormat format;
    // A line break inside the paragraph is U+2028, a tab '\t'.
    std::u16string text;
};

struct RtfParagraph {
    RtfParaFormat format;
    std::vector<RtfRun> runs;

    std::u16string Text() const;
};

struct RtfDocument {
    // Font family names; RtfCharFormat::font indexes this list.
    std::vector<std::u16string> fonts;
    // Never empty once read: an empty document has one empty paragraph.
    std::vector<RtfParagraph> paragraphs;

    // Paragraphs joined by '\n'; line breaks inside a paragraph become '\n' too,
    // so each counts as one unit like the editor's.
    std::u16string PlainText() const;
};

// A plain text as a document: one paragraph per line, no formatting.
RtfDocument PlainTextDocument(std::u16string_view text);

}  // namespace vernalo
