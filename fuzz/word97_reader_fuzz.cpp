// The Word 97-2003 reader on any bytes it takes (a compound file, whatever its name): it
// refuses with a reason or gives a document the editor bridge can use.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "documentcheck.h"
#include "documents/word97/wordreader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!kWord97Format.takes(bytes, u"")) return 0;
    fuzz::CheckReadResult(kWord97Format.read(bytes, {}));
    return 0;
}
