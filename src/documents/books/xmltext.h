#pragma once
// The text of XML books (FB2 and the XHTML of EPUB) as rich text: a builder that keeps
// bold, italic and heading sizes and collapses XML whitespace, and the walkers that feed
// it from QXmlStreamReader. No DTD is processed: a document that declares entities is
// refused, so nothing expands beyond its own size, and nesting is capped.

#include <QByteArray>
#include <QStringView>
#include <map>
#include <string>

#include "documents/model/richdocument.h"

namespace vernalo {

class BookBuilder {
public:
    // Whitespace collapses to one space; none at the start or end of a paragraph.
    void text(QStringView text);
    // Text kept as it is (preformatted): '\n' breaks the line.
    void rawText(QStringView text);
    // Text kept as it is after the one space that whitespace given to Text() before it
    // stands for: the runs of office documents (DOCX w:t, ODT text:s), whose spaces count.
    void keptText(QStringView text);
    void tab();
    void lineBreak();
    // Ends the paragraph being built, when it holds anything.
    void endBlock();

    void bold(bool on) { bold_ += on ? 1 : -1; }
    void italic(bool on) { italic_ += on ? 1 : -1; }
    // Level 1 (largest) to 6; 0 ends the heading.
    void heading(int level) { heading_ = level; }
    // A heading of the contents starts at the next paragraph: the text until EndHeading is
    // its title, paragraphs joined by a space.
    void beginHeading(int level);
    void endHeading();
    // Where the next character lands in the document's text.
    std::size_t position() const {
        return hasText_ ? doc_.text().size() + pending_.size() : doc_.nextTextPosition();
    }
    void setTitle(std::u16string title) { doc_.title = std::move(title); }

    // Room for this many UTF-16 units of text, so that a big book's text is not copied
    // (and held twice) as it grows.
    void reserve(std::size_t units) {
        if (units > doc_.text().size()) doc_.reserveText(units);
    }
    // Units of text so far.
    std::size_t units() const { return doc_.text().size() + pending_.size(); }
    // Appends every paragraph of another document, and its headings up to `maxLevel`.
    void append(const RichDocument& other, int maxLevel = 0);
    RichDocument take();

private:
    CharFormat format() const;
    void put(char16_t c);
    void flush();

    RichDocument doc_;
    std::u16string pending_;
    CharFormat pendingFormat_;
    int bold_ = 0;
    int italic_ = 0;
    int heading_ = 0;
    bool hasText_ = false;       // the paragraph holds something
    bool lineStart_ = true;      // nothing yet on the current line
    bool space_ = false;         // whitespace seen since the last character
    bool breakPending_ = false;  // a line break that waits for the line's text
    // The heading being gathered, when headingLevel_ > 0.
    int headingLevel_ = 0;
    std::size_t headingPosition_ = 0;
    std::u16string headingTitle_;
};

// The encoding an XML header declares ("windows-1251"), as written, or empty; `declarationEnd`
// receives where the header ends.
QByteArray DeclaredEncoding(const QByteArray& xml, qsizetype* declarationEnd);

// The bytes as UTF-8 with an encoding declaration to match: Windows-1251 (and its
// aliases) declared in the XML header is decoded here; UTF-16 and UTF-8 pass as they are.
QByteArray XmlAsUnicode(const std::string& bytes);

// The number of characters in UTF-8 bytes: never less than the text they hold once the
// markup is taken out.
std::size_t Utf8CharCount(const QByteArray& utf8);

// Each fills `out`; false with `error` set ("malformed XML ...", "entities are declared")
// when the document cannot be read.
bool ReadFb2Xml(const QByteArray& xml, BookBuilder& out, std::string& error);
// `anchors`, when given, holds the element ids wanted (the contents point at them); each
// found gets the position of its element's text.
bool ReadXhtml(const QByteArray& xml, BookBuilder& out, std::string& error,
               std::map<QString, std::size_t>* anchors = nullptr);

}  // namespace vernalo
