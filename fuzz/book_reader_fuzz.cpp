// The book and office document readers on any bytes: the first byte picks the format, the
// rest is the file. A reader either refuses with a reason or gives a document the editor
// bridge can use.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "documentcheck.h"
#include "documents/read.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    static constexpr DocumentKind kKinds[] = {DocumentKind::Fb2, DocumentKind::Fb2Zip,
                                              DocumentKind::Epub, DocumentKind::Docx,
                                              DocumentKind::Odt};
    if (size == 0) return 0;
    const DocumentKind kind = kKinds[data[0] % std::size(kKinds)];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz::CheckReadResult(FormatOfKind(kind)->read(bytes, {}));
    return 0;
}
