#pragma once
// The lines of a laid-out page (a PDF's text layer, a recognised scan) made into paragraphs,
// the way a reader sees them: the lines of a paragraph joined by a space, a word split by a
// hyphen at a line's end made whole, lines taller than the page's usual text marked as
// headings. Pages follow each other with an empty paragraph between them.

#include <string>
#include <vector>

#include "documents/model/richdocument.h"

namespace vernalo {

// Page coordinates, y growing downwards; any unit, the same for every line of a page.
struct LineBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    double width() const { return right - left; }
    double height() const { return bottom - top; }
    LineBox united(const LineBox& o) const;
};

struct PageLine {
    std::u16string text;
    LineBox box;
    // Whether a paragraph ended early on the line before: its first word would have fitted.
    double firstWordWidth = 0;
};

struct PageParagraph {
    std::u16string text;
    bool heading = false;
};

// Pieces of one line, in order from left to right on one baseline (a justified line with
// wide gaps comes in pieces), become one line; blank lines go.
std::vector<PageLine> MergeLinePieces(std::vector<PageLine> lines);

// Lines, in reading order, into paragraphs. A new paragraph starts where the next line is not
// below this one, has another size, sits further apart than the page's usual line spacing,
// starts further right (an indent), or where its first word would have fitted on this line.
std::vector<PageParagraph> JoinPageLines(const std::vector<PageLine>& lines);

// Appends a page's paragraphs to `doc`, after an empty paragraph when `doc` already holds a
// page. Headings come out bold. False (nothing added) for a page without paragraphs.
bool AppendPage(RichDocument& doc, const std::vector<PageParagraph>& page, bool firstPage);

}  // namespace vernalo
