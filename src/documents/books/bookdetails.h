#pragma once
// A book's author, language, year and cover as FB2 and EPUB give them.

#include <QByteArray>
#include <QString>

#include "documents/model/bookdetails.h"

namespace vernalo {

// From an FB2 file's description (title-info: the first author, lang, date, coverpage) and the
// binary its cover names. Whatever is missing or malformed stays empty.
BookDetails ReadFb2Details(const QByteArray& xml);

// "1869" from "1869-01-01", "c. 1869" or "1869": the first four digits in a row; else empty.
std::string YearOf(const QString& date);

// The MIME type of an image from its first bytes, for a book that names none or a wrong one;
// empty when it is no JPEG, PNG or GIF.
std::string ImageType(const std::string& bytes);

}  // namespace vernalo
