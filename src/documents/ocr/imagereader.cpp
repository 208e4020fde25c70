#include "documents/ocr/imagereader.h"

#include "documents/ocr/pageimage.h"
#include "documents/ocr/recognition.h"

namespace vernalo {

bool AddRecognisedPage(RichDocument& doc, bool firstPage, const std::vector<PageParagraph>& page,
                       const ReadControl& control) {
    if (page.empty()) return false;
    AppendPage(doc, page, firstPage);
    if (control.pageRead) {
        RichDocument alone;
        AppendPage(alone, page, true);
        alone.finish(ParagraphFormat{});
        control.pageRead(std::move(alone));
    }
    return true;
}

ReadResult ReadImageBytes(std::string_view bytes, const ReadControl& control) {
    const ImageCheck check = CheckImage(bytes);
    if (!check.ok) return ReadFailure(check.error);
    // The first page is decoded before the engines load: a damaged image is told at once.
    PixPtr first = DecodeImagePage(bytes, 0);
    if (!first) return ReadFailure("the image is damaged");
    RichDocument doc;
    bool any = false;
    ReadResult r = RecognisePages(
        check.pages,
        [bytes, &first](int index) {
            // Each page is asked for once, the first by one worker only.
            return index == 0 ? std::move(first) : DecodeImagePage(bytes, index);
        },
        control,
        [&](int, std::vector<PageParagraph> page) {
            any = AddRecognisedPage(doc, !any, page, control) || any;
        });
    if (!r.ok) return r;
    if (!any) return ReadFailure("No text was found in this image.", true);
    doc.finish(ParagraphFormat{});
    r.document = std::move(doc);
    r.description = RecognisedTextDescription();
    return r;
}

namespace {

// By its name, or by content when its headers can be read: a file that only starts like an
// image stays for plain text to refuse as no text.
bool TakesImage(std::string_view bytes, std::u16string_view fileName) {
    return DocumentKindOf(fileName) == DocumentKind::Image ||
           (LooksLikeImage(bytes) && !CheckImage(bytes).damaged);
}

ReadResult ReadImage(std::string_view bytes, const ReadControl& control) {
    if (bytes.empty()) return ReadFailure("the file is empty");
    return ReadImageBytes(bytes, control);
}

}  // namespace

const DocumentFormat kImageFormat{"image", DocumentKind::Image, TakesImage, ReadImage};

}  // namespace vernalo
