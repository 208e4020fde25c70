#include "documents/read.h"

#include "text/documenttext.h"

namespace vernalo {
namespace {

// The road after the last format: any bytes that are text, decoded as the editor decodes a
// file.
ReadResult ReadPlainText(std::string_view bytes) {
    DecodedDocument decoded = DecodeDocumentText(bytes);
    if (!decoded.isText()) {
        ReadResult r = ReadFailure("this is not a text document.");
        r.notText = true;
        return r;
    }
    ReadResult r;
    r.ok = true;
    r.plainText = true;
    r.description = "plain text, " + std::string(DocumentEncodingName(decoded.encoding));
    r.document = PlainTextDocument(std::move(decoded.text));
    return r;
}

}  // namespace

ReadResult ReadDocument(std::string_view bytes, std::u16string_view fileName,
                        const ReadControl& control) {
    for (const DocumentFormat* format : DocumentFormats()) {
        if (!format->takes(bytes, fileName)) continue;
        ReadResult r = format->read(bytes, control);
        if (r.description.empty()) r.description = format->name;
        return r;
    }
    return ReadPlainText(bytes);
}

const DocumentFormat* FormatOfKind(DocumentKind kind) {
    if (kind == DocumentKind::None) return nullptr;
    for (const DocumentFormat* format : DocumentFormats())
        if (format->kind == kind) return format;
    return nullptr;
}

}  // namespace vernalo
