#pragma once
// Reading rich text (RTF) into an RtfDocument, and the editor's rule for a file's
// bytes: rich text when they start as rich text, plain text otherwise.

#include <string_view>

#include "documents/rtfmodel.h"
#include "text/documenttext.h"

namespace vernalo {

// True when the bytes start with "{\rtf", after blanks and a UTF-8 byte-order mark.
bool IsRtf(std::string_view bytes);

// Reads rich text. Never fails: malformed input yields what could be read, a truncated
// file what came before the cut. Groups nested deeper than an internal limit share the
// formatting of the deepest kept group; their text is still read.
RtfDocument ReadRtf(std::string_view bytes);

// Rich text when IsRtf, else the bytes decoded as a plain-text document (DecodeDocumentText)
// with one paragraph per line; `encoding`, when given, receives what the plain text was
// decoded as and is left alone for rich text. Bytes that are not text give an empty
// document with NotText.
RtfDocument ReadDocumentBytes(std::string_view bytes, DocumentEncoding* encoding = nullptr);

}  // namespace vernalo
