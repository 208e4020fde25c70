// The book and office document readers on any bytes: the first byte picks the format, the
// rest is the file. A reader either refuses with a reason or gives a document the editor
// bridge can use.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "documents/read.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    static constexpr DocumentKind kKinds[] = {DocumentKind::Fb2, DocumentKind::Fb2Zip,
                                              DocumentKind::Epub, DocumentKind::Docx,
                                              DocumentKind::Odt};
    if (size == 0) return 0;
    const DocumentKind kind = kKinds[data[0] % std::size(kKinds)];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const ReadResult r = FormatOfKind(kind)->read(bytes, {});
    if (!r.ok) {
        FUZZ_CHECK(!r.error.empty(), "a refusal says why");
        return 0;
    }
    std::size_t units = 0;
    r.document.forEach([](const RichDocument::ParagraphView&) {},
                       [&](const RichDocument::RunView& run) {
                           FUZZ_CHECK(!run.text.empty(), "a run holds text");
                           units += run.text.size();
                       });
    FUZZ_CHECK(r.document.plainText().size() == units + r.document.paragraphCount() - 1 ||
                   r.document.paragraphCount() == 0,
               "plain text length " + std::to_string(r.document.plainText().size()));
    return 0;
}
