#include "documents/ocr/pageimage.h"

#include <leptonica/allheaders.h>

#include <cstdio>
#include <cstring>

namespace vernalo {
namespace {

// Leptonica reports every refusal on standard error; the reader's own message says what
// matters.
void QuietLeptonica() {
    static const bool once = [] {
        setMsgSeverity(L_SEVERITY_NONE);
        return true;
    }();
    (void)once;
}

const l_uint8* Data(std::string_view bytes) {
    return reinterpret_cast<const l_uint8*>(bytes.data());
}

bool IsTiff(l_int32 format) {
    return L_FORMAT_IS_TIFF(format);
}

// Leptonica guesses from the first bytes; the formats it knows beyond these (PNM, GIF, JP2,
// its own) are no scans we are asked to read.
l_int32 FormatOf(std::string_view bytes) {
    if (bytes.size() < 12) return IFF_UNKNOWN;
    l_int32 format = IFF_UNKNOWN;
    if (findFileFormatBuffer(Data(bytes), &format) != 0) return IFF_UNKNOWN;
    if (format == IFF_PNG || format == IFF_JFIF_JPEG || format == IFF_WEBP || format == IFF_BMP ||
        IsTiff(format))
        return format;
    return IFF_UNKNOWN;
}

ImageCheck Refuse(std::string error) {
    ImageCheck c;
    c.error = std::move(error);
    return c;
}

ImageCheck Damaged() {
    ImageCheck c = Refuse("the image is damaged");
    c.damaged = true;
    return c;
}

ImageCheck TooLarge(std::int64_t w, std::int64_t h) {
    return Refuse("the image is too large to recognise: " + std::to_string(w) + " x " +
                  std::to_string(h) + " pixels; at most " +
                  std::to_string(kMaxImagePixels / 1'000'000) + " million pixels, " +
                  std::to_string(kMaxImageSide) + " on a side (" +
                  std::to_string(kMaxImageBytes / 1'000'000) + " MB decoded)");
}

bool Fits(std::int64_t w, std::int64_t h) {
    return w <= kMaxImageSide && h <= kMaxImageSide && w * h <= kMaxImagePixels;
}

int TiffPages(std::string_view bytes) {
    FILE* f = fopenReadFromMemory(Data(bytes), bytes.size());
    if (!f) return 0;
    l_int32 n = 0;
    if (tiffGetCount(f, &n) != 0) n = 0;
    std::fclose(f);
    return n;
}

}  // namespace

void PixFree::operator()(Pix* pix) const {
    pixDestroy(&pix);
}

bool LooksLikeImage(std::string_view bytes) {
    // Stricter than Leptonica's guess, which takes any text starting with "BM" for a bitmap.
    const auto at = [bytes](std::size_t i) {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u;
    };
    if (bytes.starts_with("\x89PNG\r\n\x1a\n") || bytes.starts_with("\xff\xd8\xff") ||
        bytes.starts_with(std::string_view("II*\0", 4)) ||
        bytes.starts_with(std::string_view("MM\0*", 4)))
        return true;
    if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP")
        return true;
    // A bitmap: its info header's size is one of the few Windows ever wrote.
    const unsigned info = at(14) | at(15) << 8 | at(16) << 16 | at(17) << 24;
    return bytes.starts_with("BM") &&
           (info == 12 || info == 40 || info == 52 || info == 56 || info == 108 || info == 124);
}

ImageCheck CheckImage(std::string_view bytes) {
    QuietLeptonica();
    const l_int32 format = FormatOf(bytes);
    if (format == IFF_UNKNOWN) return Damaged();
    ImageCheck c;
    if (IsTiff(format)) {
        c.pages = TiffPages(bytes);
        if (c.pages <= 0) return Damaged();
        if (c.pages > kMaxImagePages) return Refuse("the image has too many pages");
        for (int i = 0; i < c.pages; ++i) {
            l_int32 w = 0, h = 0, bps = 0, spp = 0, res = 0, cmap = 0, f = 0;
            if (readHeaderMemTiff(Data(bytes), bytes.size(), i, &w, &h, &bps, &spp, &res, &cmap,
                                  &f) != 0 ||
                w <= 0 || h <= 0)
                return Damaged();
            if (!Fits(w, h)) return TooLarge(w, h);
        }
    } else {
        l_int32 f = 0, w = 0, h = 0, bps = 0, spp = 0, cmap = 0;
        if (pixReadHeaderMem(Data(bytes), bytes.size(), &f, &w, &h, &bps, &spp, &cmap) != 0 ||
            w <= 0 || h <= 0)
            return Damaged();
        if (!Fits(w, h)) return TooLarge(w, h);
        c.pages = 1;
    }
    c.ok = true;
    return c;
}

PixPtr DecodeImagePage(std::string_view bytes, int page) {
    QuietLeptonica();
    const l_int32 format = FormatOf(bytes);
    if (format == IFF_UNKNOWN) return nullptr;
    Pix* pix = IsTiff(format) ? pixReadMemTiff(Data(bytes), bytes.size(), page)
                              : (page == 0 ? pixReadMem(Data(bytes), bytes.size()) : nullptr);
    PixPtr out(pix);
    // The header and the pixels may disagree in a damaged or hostile file.
    if (out && !Fits(pixGetWidth(pix), pixGetHeight(pix))) out.reset();
    return out;
}

PixPtr GrayPagePix(const std::uint8_t* rows, int width, int height, int stride, int dpi) {
    if (width <= 0 || height <= 0 || !Fits(width, height)) return nullptr;
    PixPtr pix(pixCreate(width, height, 8));
    if (!pix) return nullptr;
    pixSetResolution(pix.get(), dpi, dpi);
    for (int y = 0; y < height; ++y) {
        l_uint32* line =
            pixGetData(pix.get()) + static_cast<std::ptrdiff_t>(y) * pixGetWpl(pix.get());
        const std::uint8_t* src = rows + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            SET_DATA_BYTE(line, x, src[x]);
    }
    return pix;
}

}  // namespace vernalo
