#pragma once
// Reading rich text (RTF) into a RichDocument.

#include <string_view>

#include "documents/model/documentformat.h"

namespace vernalo {

// True when the bytes start with "{\rtf", after blanks and a UTF-8 byte-order mark.
bool IsRtf(std::string_view bytes);

// Reads rich text. Never fails: malformed input yields what could be read, a truncated
// file what came before the cut. Groups nested deeper than an internal limit share the
// formatting of the deepest kept group; their text is still read.
RichDocument ReadRtf(std::string_view bytes);

// Known by its content alone (IsRtf), whatever the name.
extern const DocumentFormat kRtfFormat;

}  // namespace vernalo
