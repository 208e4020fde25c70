#include "documents/model/openkind.h"

#include <utility>

namespace vernalo {
namespace {

// Latin and Cyrillic letters, the letters a path on this program's users' disks holds.
char16_t UpperUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') return c - 0x20;
    if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
    if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
    return c;
}

}  // namespace

std::u16string OpenTypeKey(std::u16string_view path) {
    const std::size_t dot = path.rfind(u'.');
    const std::u16string_view key =
        dot == std::u16string_view::npos ? path.substr(0, 3) : path.substr(dot + 1, 3);
    std::u16string upper(key);
    for (char16_t& c : upper)
        c = UpperUnit(c);
    return upper;
}

DocumentKind DocumentKindOf(std::u16string_view path) {
    std::u16string upper(path.substr(path.size() > 16 ? path.size() - 16 : 0));
    for (char16_t& c : upper)
        c = UpperUnit(c);
    const auto endsWith = [&upper](std::u16string_view suffix) {
        return upper.size() >= suffix.size() &&
               upper.compare(upper.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    static constexpr std::pair<std::u16string_view, DocumentKind> kSuffixes[] = {
        {u".FB2.ZIP", DocumentKind::Fb2Zip}, {u".FB2", DocumentKind::Fb2},
        {u".EPUB", DocumentKind::Epub},      {u".DOCX", DocumentKind::Docx},
        {u".ODT", DocumentKind::Odt},        {u".PDF", DocumentKind::Pdf},
        {u".PNG", DocumentKind::Image},      {u".JPG", DocumentKind::Image},
        {u".JPEG", DocumentKind::Image},     {u".TIF", DocumentKind::Image},
        {u".TIFF", DocumentKind::Image},     {u".WEBP", DocumentKind::Image},
        {u".BMP", DocumentKind::Image},
    };
    for (const auto& [suffix, kind] : kSuffixes)
        if (endsWith(suffix)) return kind;
    return DocumentKind::None;
}

OpenRoad OpenRoadFor(std::u16string_view path) {
    const std::u16string key = OpenTypeKey(path);
    if (key == u"TXT" || key == u"RTF" || key == u"DOC" || HasDocumentKind(path))
        return OpenRoad::Editor;
    return OpenRoad::Browser;
}

}  // namespace vernalo
