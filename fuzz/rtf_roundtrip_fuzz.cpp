// Read, write, read again: the second model holds the same text as the first. This is what
// saving an opened document and opening it again does.

#include <cstddef>
#include <cstdint>
#include <string>

#include "documents/rtf/rtfreader.h"
#include "documents/rtf/rtfwriter.h"
#include "fuzzcheck.h"
#include "text/documenttext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // As a file that is no book is read: rich text, else plain text.
    const RichDocument first =
        IsRtf(bytes) ? ReadRtf(bytes) : PlainTextDocument(DecodeDocumentText(bytes).text);
    const std::string written = WriteRtf(first);
    FUZZ_CHECK(IsRtf(written), written.substr(0, 64));
    for (unsigned char c : written)
        FUZZ_CHECK(c < 0x80, "the writer writes 7-bit bytes only");
    const RichDocument second = ReadRtf(written);
    const std::u16string before = first.plainText(), after = second.plainText();
    FUZZ_CHECK(before == after, "read " + fuzz::Show(before) + "\nread again " + fuzz::Show(after) +
                                    "\nwritten " + written);
    return 0;
}
