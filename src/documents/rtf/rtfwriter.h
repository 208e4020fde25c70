#pragma once
// Writing an RichDocument as rich text (RTF): 7-bit bytes, Windows-1251 characters as
// \'hh, every other character as \uN?.

#include <string>
#include <string_view>

#include "documents/model/richdocument.h"

namespace vernalo {

// `defaultFont` names font 0, the one of runs that leave the font to the reader
// (CharFormat::font == -1).
std::string WriteRtf(const RichDocument& doc, std::u16string_view defaultFont = u"Arial");

}  // namespace vernalo
