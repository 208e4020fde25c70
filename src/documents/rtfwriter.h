#pragma once
// Writing an RtfDocument as rich text (RTF): 7-bit bytes, Windows-1251 characters as
// \'hh, every other character as \uN?.

#include <string>
#include <string_view>

#include "documents/rtfmodel.h"

namespace vernalo {

// `defaultFont` names font 0, the one of runs that leave the font to the reader
// (RtfCharFormat::font == -1).
std::string WriteRtf(const RtfDocument& doc, std::u16string_view defaultFont = u"Arial");

}  // namespace vernalo
