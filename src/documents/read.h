#pragma once
// Every file the editor, the background opener and `vernalo-cli convert` read goes this one
// road: the formats this build reads are tried in a fixed order (the list in this folder's
// CMakeLists.txt), and the first that takes the file reads it. Plain text is the last road:
// decoded as the editor does (DecodeDocumentText), or refused when the bytes are no text.

#include <span>
#include <string_view>

#include "documents/model/documentformat.h"

namespace vernalo {

// `fileName` (a path will do: only its suffix counts) picks the formats known by their name.
ReadResult ReadDocument(std::string_view bytes, std::u16string_view fileName,
                        const ReadControl& control = {});

// The formats this build reads, in the order ReadDocument tries them.
std::span<const DocumentFormat* const> DocumentFormats();

// The format of this kind, or nullptr when this build does not read it.
const DocumentFormat* FormatOfKind(DocumentKind kind);

}  // namespace vernalo
