// The stand-in for the book and office readers in a build without Qt: files they would take
// by their name are refused, saying why, instead of being read as the text they are not.

#include "documents/model/documentformat.h"

namespace vernalo {

extern const DocumentFormat kNoBooksFormat;

namespace {

bool TakesBookName(std::string_view, std::u16string_view fileName) {
    return HasDocumentKind(fileName);
}

ReadResult RefuseBook(std::string_view, const ReadControl&) {
    return ReadFailure("this build reads no books (it was built without Qt)");
}

}  // namespace

const DocumentFormat kNoBooksFormat{"book", DocumentKind::None, TakesBookName, RefuseBook};

}  // namespace vernalo
