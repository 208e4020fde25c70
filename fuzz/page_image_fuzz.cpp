// Page images from any bytes, as a scan reaches the recognition: the headers are checked
// against the size limits, then every page (a few at most here) is decoded or refused, and
// nothing decoded is larger than the limits allow.

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "documents/ocr/pageimage.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ImageCheck check = CheckImage(bytes);
    FUZZ_CHECK(check.ok == check.error.empty(), check.error);
    if (!check.ok) return 0;
    FUZZ_CHECK(check.pages >= 1 && check.pages <= kMaxImagePages,
               std::to_string(check.pages) + " pages");
    for (int page = 0; page < std::min(check.pages, 3); ++page) {
        const PixPtr pix = DecodeImagePage(bytes, page);
        if (!pix) continue;
        const std::int64_t w = pixGetWidth(pix.get()), h = pixGetHeight(pix.get());
        FUZZ_CHECK(
            w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide && w * h <= kMaxImagePixels,
            std::to_string(w) + " x " + std::to_string(h));
    }
    return 0;
}
