#pragma once
// What the DOCX and ODT readers share: a guarded walk over one XML part of a zip package,
// attribute look-ups that ignore prefixes, and a target that tracks the format it was set to.

#include <QStringView>
#include <string>
#include <vector>

#include "documents/books/xmltext.h"
#include "documents/model/documentformat.h"
#include "documents/office/xmlwalk.h"

namespace vernalo::office {

// Deeper than real documents nest (tables in tables in text boxes stay far below); a
// hostile part stops here instead of growing the stacks without bound.
constexpr int kMaxDepth = 512;

ReadResult Fail(std::string error);
ReadResult Done(BookBuilder& out);

// The value of the first attribute with this local name, whatever its prefix.
QStringView Attr(XmlAttributes attributes, QStringView name);
bool HasAttr(XmlAttributes attributes, QStringView name);

// Walks one XML part of a package: no entity is declared, nesting is capped, errors name
// the part. `start` returns false to skip the element with all it holds; `end` is called
// for each element `start` let in, `chars` for text outside skipped elements.
template <class Start, class End, class Chars>
bool WalkPart(const std::string& bytes, const std::string& part, std::string& error, Start&& start,
              End&& end, Chars&& chars) {
    struct Handler : XmlHandler {
        Start& start_;
        End& end_;
        Chars& chars_;
        Handler(Start& s, End& e, Chars& c) : start_(s), end_(e), chars_(c) {}
        bool start(const XmlElement& element) override { return start_(element); }
        void end(const XmlElement& element) override { end_(element); }
        void chars(QStringView text) override { chars_(text); }
    } handler(start, end, chars);
    return WalkXml(XmlAsUnicode(bytes), part, kMaxDepth, error, handler);
}

// A builder with the bold and italic state it was last set to, so that an element can set
// either outright and put it back at its end (BookBuilder itself counts nesting).
struct Target {
    BookBuilder out;
    bool bold = false;
    bool italic = false;
    int heading = 0;
    // Per open table row, the cells so far; per open cell, its paragraphs so far.
    std::vector<int> rows;
    std::vector<int> cellParas;

    void setBold(bool on) {
        if (on != bold) out.bold(on);
        bold = on;
    }
    void setItalic(bool on) {
        if (on != italic) out.italic(on);
        italic = on;
    }
    void setHeading(int level) {
        if (level != heading) out.heading(level);
        heading = level;
    }
    bool inCell() const { return !cellParas.empty(); }
    // A paragraph starts: its own block, or in a table cell a space after the cell's
    // paragraph before, so that the row stays one line.
    void paragraphStart() {
        if (!inCell()) {
            out.endBlock();
        } else if (cellParas.back()++ > 0) {
            out.text(u" ");
        }
    }
    void paragraphEnd() {
        if (!inCell()) out.endBlock();
    }
    void rowStart() {
        out.endBlock();
        rows.push_back(0);
    }
    void rowEnd() {
        if (!rows.empty()) rows.pop_back();
        out.endBlock();
    }
    void cellStart() {
        if (!rows.empty() && rows.back()++ > 0) out.tab();
        cellParas.push_back(0);
    }
    void cellEnd() {
        if (!cellParas.empty()) cellParas.pop_back();
    }
};

}  // namespace vernalo::office
