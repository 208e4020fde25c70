// The PDF reader on any bytes, as a file named .pdf reaches it: it refuses with a reason or
// gives a document the editor bridge can use.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "documentcheck.h"
#include "documents/read.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    // Well under the fuzzer's hang limit, so a slow file meets the reader's own time limit,
    // whose refusal is checked like any other.
    ReadControl control;
    control.timeLimit = std::chrono::seconds(3);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::CheckReadResult(FormatOfKind(DocumentKind::Pdf)->read(bytes, control));
    return 0;
}
