// The RTF reader on any bytes: never fails, and what it returns is a model the writer and the
// editor bridge can use as it is.

#include <cstddef>
#include <cstdint>
#include <string>

#include "documents/rtf/rtfreader.h"
#include "fuzzcheck.h"
#include "text/documenttext.h"

namespace vernalo {
namespace {

void CheckModel(const RichDocument& doc) {
    FUZZ_CHECK(doc.paragraphCount() > 0, "a read document has at least one paragraph");
    std::size_t units = 0, paragraphs = 0;
    doc.forEach([&](const RichDocument::ParagraphView&) { ++paragraphs; },
                [&](const RichDocument::RunView& run) {
                    const CharFormat& f = run.format;
                    FUZZ_CHECK(f.font >= -1 && f.font < static_cast<int>(doc.fonts.size()),
                               "font " + std::to_string(f.font));
                    FUZZ_CHECK(f.halfPoints >= 0, "size " + std::to_string(f.halfPoints));
                    FUZZ_CHECK(f.color >= -1 && f.color <= 0xFFFFFF,
                               "colour " + std::to_string(f.color));
                    FUZZ_CHECK(f.background >= -1 && f.background <= 0xFFFFFF,
                               "background " + std::to_string(f.background));
                    FUZZ_CHECK(!run.text.empty(), "a run holds text");
                    units += run.text.size();
                });
    FUZZ_CHECK(paragraphs == doc.paragraphCount(), std::to_string(paragraphs));
    // Paragraphs joined by one unit each, line breaks kept as one unit.
    FUZZ_CHECK(doc.plainText().size() == units + paragraphs - 1,
               "plain text length " + std::to_string(doc.plainText().size()));
    FUZZ_CHECK(doc.text().size() == doc.plainText().size(), "");
}

}  // namespace
}  // namespace vernalo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // As a file that is no book is read: rich text, else plain text.
    CheckModel(IsRtf(bytes) ? ReadRtf(bytes) : PlainTextDocument(DecodeDocumentText(bytes).text));
    // The parser itself on bytes that do not start as rich text, too: the editor's paste and
    // the converters call it directly.
    if (!IsRtf(bytes)) CheckModel(ReadRtf(bytes));
    return 0;
}
