#include "documents/office/officereader.h"

namespace vernalo {
namespace {

bool TakesDocx(std::string_view bytes, std::u16string_view fileName) {
    return DocumentKindOf(fileName) == DocumentKind::Docx &&
           (bytes.starts_with("PK") || bytes.starts_with("\xD0\xCF\x11\xE0"));
}

bool TakesOdt(std::string_view bytes, std::u16string_view fileName) {
    return DocumentKindOf(fileName) == DocumentKind::Odt && bytes.starts_with("PK");
}

}  // namespace

const DocumentFormat kDocxFormat{"Word document (DOCX)", DocumentKind::Docx, TakesDocx,
                                 ReadNonEmpty<ReadDocxBytes>};
const DocumentFormat kOdtFormat{"OpenDocument text (ODT)", DocumentKind::Odt, TakesOdt,
                                ReadNonEmpty<ReadOdtBytes>};

}  // namespace vernalo
