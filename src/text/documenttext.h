#pragma once
// Decoding of plain-text documents the user opens, which come in any Russian encoding.
// Dictionaries and settings keep DecodeTextFile's fixed rule: no guessing there.

#include <string>
#include <string_view>

namespace vernalo {

enum class DocumentEncoding {
    Utf8,
    Utf8Bom,
    Utf16LEBom,
    Utf16BEBom,
    Utf16LE,  // without a byte-order mark
    Utf16BE,
    Windows1251,
    Koi8R,
    Cp866,
    Iso8859_5,
    MacCyrillic,
    NotText,  // NUL bytes outside UTF-16, or mostly control characters
};

// A name for messages and --verbose: "UTF-8", "KOI8-R", "not text"...
std::string_view DocumentEncodingName(DocumentEncoding encoding);

// A byte-order mark decides; else valid UTF-8 is UTF-8; else the encoding detected among
// Windows-1251, KOI8-R, CP866, ISO-8859-5, Mac Cyrillic and UTF-16 without a mark, when
// the detection is sure of it; else Windows-1251.
DocumentEncoding DetectDocumentEncoding(std::string_view bytes);

struct DecodedDocument {
    std::u16string text;  // empty for NotText
    DocumentEncoding encoding = DocumentEncoding::Utf8;
    bool isText() const { return encoding != DocumentEncoding::NotText; }
};

// Decodes as DetectDocumentEncoding says, every CR LF, lone LF or lone CR made one '\n'.
DecodedDocument DecodeDocumentText(std::string_view bytes);

}  // namespace vernalo
