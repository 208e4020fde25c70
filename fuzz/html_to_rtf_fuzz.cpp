// HTML to rich text as "Transform HTML to text" runs it: the page's text with CR LF breaks,
// converted, then read by the RTF reader into the editor.

#include <cstddef>
#include <cstdint>
#include <string>

#include "documents/html/htmltortf.h"
#include "documents/rtf/rtfreader.h"
#include "fuzzcheck.h"
#include "text/textcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string crlf = WithCrLf(DecodeTextFile(bytes).text);
    FUZZ_CHECK(WithCrLf(crlf) == crlf, "CR LF text comes back unchanged");

    int last = 0;
    const std::string rtf = HtmlToRtf(crlf, [&](int percent) {
        FUZZ_CHECK(percent > last && percent <= 100,
                   std::to_string(last) + " then " + std::to_string(percent));
        last = percent;
    });
    FUZZ_CHECK(rtf.starts_with(kRtfHeader) && rtf.ends_with('}'), rtf);
    // The converter's result is read like any rich text: one outer group, so nothing after it
    // is lost and the reader stops at its end.
    const RichDocument doc = ReadRtf(rtf);
    FUZZ_CHECK(doc.paragraphCount() > 0, rtf);
    return 0;
}
