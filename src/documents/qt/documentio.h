#pragma once
// The editor's documents on disk: loading a file or a whole-content text (rich text
// when the bytes are rich text, plain text otherwise) into a QTextDocument, and saving
// a QTextDocument as rich text.

#include <QByteArray>
#include <QString>

#include "documents/model/documentformat.h"

class QTextDocument;

namespace vernalo {

struct DocumentResult {
    bool ok = true;
    // The message for the user when !ok: "Cannot open file <path>", "Failed to Load
    // Stream", "Cannot read <name>: this is not a text document.", "Cannot read <name>:
    // <what is wrong with the book>", "This PDF has no text to read.", "Cannot create file
    // <path>" or "Failed to Save Stream".
    QString error;
};

// True when the bytes start with "{\rtf" after blanks and a UTF-8 byte-order mark.
bool IsRtf(const QByteArray& bytes);

// Replaces the document's content. Rich text is read as such; other bytes are decoded as
// a plain-text document (DecodeDocumentText) with one paragraph per line.
// The document's default font is left alone: text in the file's default font shows in it.
void LoadDocumentBytes(const QByteArray& bytes, QTextDocument& doc);

// Reads a whole file and loads it as LoadDocumentBytes does, but refuses bytes that are
// no text (a program, an image). The file goes the road ReadDocument (documents/read.h) picks
// for it: books, office documents and PDF files (by name) and Word 97-2003 documents (by
// content) are read into formatted text. On failure the document is left as it was.
//
// For an editor (QTextEdit) and big files: load into a new QTextDocument (give it the
// editor's default font) and hand that to QTextEdit::setDocument. Refilling the
// editor's own document leaves its caret at the end, which makes the editor lay out the
// whole text at once: about 1.5 s more for 5 MB, against a few milliseconds when the
// editor adopts a filled document and lays it out as it shows it.
//
// `control` lets a caller that loads on another thread give up on a slow PDF (see
// ReadControl); a document filled there may then be handed over or dropped.
DocumentResult LoadDocumentFile(const QString& path, QTextDocument& doc,
                                const ReadControl& control = {});

// The document as a complete RTF file.
QByteArray DocumentToRtf(const QTextDocument& doc);

// Writes DocumentToRtf to `path` through a temporary file in the same folder that is
// renamed over it, so a failure never leaves a truncated file.
DocumentResult SaveDocumentFile(const QTextDocument& doc, const QString& path);

// The bridge between the document model every reader produces and QTextDocument.
void ModelToDocument(const RichDocument& model, QTextDocument& doc);
RichDocument DocumentToModel(const QTextDocument& doc);

}  // namespace vernalo
