#pragma once
// Which road an opened file takes: text, rich-text, doc files and books into the editor,
// every other file into the browser page. The choice rests on the name, not on content.

#include <string>
#include <string_view>

namespace vernalo {

enum class OpenRoad { Editor, Browser };

// The documents known by the name's suffix: FictionBook 2 (also in a zip), EPUB, the office
// documents DOCX and ODT, PDF, and pictures of pages whose text is recognised (PNG, JPEG,
// TIFF, WebP, BMP). The one list of suffixes: the readers take files by it, and it sends them
// to the editor.
enum class DocumentKind { None, Fb2, Fb2Zip, Epub, Docx, Odt, Pdf, Image };

// The open dialog's filters in the Qt form ("Caption (patterns);;..."), the first one
// selected when the dialog opens: everything the program reads. "All files" uses "*": on
// Linux "*.*" would hide files whose names have no ".".
inline constexpr std::string_view kOpenDialogFilter =
    "All readable files (*.txt *.rtf *.doc *.docx *.odt *.pdf *.fb2 *.fb2.zip *.epub *.html "
    "*.htm *.asp *.jsp *.png *.jpg *.jpeg *.tif *.tiff *.webp *.bmp);;"
    "Text files (*.txt);;RTF files (*.rtf);;HTML files (*.html *.htm *.asp *.jsp);;"
    "DOC files (*.doc);;Images (*.png *.jpg *.jpeg *.tif *.tiff *.webp *.bmp);;All files (*)";
// The save dialog's single filter and the suffix added to a name typed without one.
inline constexpr std::string_view kSaveDialogFilter = "RTF files (*.rtf)";
inline constexpr std::string_view kSaveDefaultSuffix = "rtf";

// Up to three units after the last "." of the upper-cased full path, or the first three
// of the path when it holds no "." at all. The "." may lie in a folder name.
std::u16string OpenTypeKey(std::u16string_view path);

// Editor for the keys "TXT", "RTF" and "DOC" (so also book.rtf2) and for books and
// documents (.fb2, .fb2.zip, .epub, .docx, .odt, .pdf, case ignored) and page images (.png,
// .jpg, .jpeg, .tif, .tiff, .webp, .bmp), Browser for anything else.
OpenRoad OpenRoadFor(std::u16string_view path);
// By the suffix, case ignored.
DocumentKind DocumentKindOf(std::u16string_view path);
inline bool HasDocumentKind(std::u16string_view path) {
    return DocumentKindOf(path) != DocumentKind::None;
}

}  // namespace vernalo
