// Read, write, read again: the second model holds the same text as the first. This is what
// saving an opened document and opening it again does.

#include <cstddef>
#include <cstdint>
#include <string>

#include "documents/rtfreader.h"
#include "documents/rtfwriter.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RtfDocument first = ReadDocumentBytes(bytes);
    const std::string written = WriteRtf(first);
    FUZZ_CHECK(IsRtf(written), written.substr(0, 64));
    for (unsigned char c : written)
        FUZZ_CHECK(c < 0x80, "the writer writes 7-bit bytes only");
    const RtfDocument second = ReadRtf(written);
    const std::u16string before = first.PlainText(), after = second.PlainText();
    FUZZ_CHECK(before == after, "read " + fuzz::Show(before) + "\nread again " + fuzz::Show(after) +
                                    "\nwritten " + written);
    return 0;
}
