#pragma once
// Scanned pages and pictures as page images: the formats recognised by their first bytes
// (PNG, JPEG, TIFF with every page, WebP, BMP), checked against the size limits from their
// headers before a pixel is decoded, then decoded by Leptonica.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct Pix;

namespace vernalo {

struct PixFree {
    void operator()(Pix* pix) const;
};
using PixPtr = std::unique_ptr<Pix, PixFree>;

// A page image may hold this many pixels, this many on a side; decoded (4 bytes a pixel at
// most) that is 200 MB, which keeps recognition within its memory.
inline constexpr std::int64_t kMaxImagePixels = 50'000'000;
inline constexpr int kMaxImageSide = 20'000;
inline constexpr std::int64_t kMaxImageBytes = 4 * kMaxImagePixels;
// A multi-page TIFF with more pages is refused: no scanner makes it.
inline constexpr int kMaxImagePages = 2000;

// Whether the bytes start as one of the image formats read here.
bool LooksLikeImage(std::string_view bytes);

struct ImageCheck {
    bool ok = false;
    // Why not: "the image is damaged", "the image is too large to recognise: ...".
    std::string error;
    // The headers themselves cannot be read.
    bool damaged = false;
    int pages = 0;
};

// Reads only the headers (of every page of a TIFF): fast, whatever the image's size.
ImageCheck CheckImage(std::string_view bytes);

// Page `page` (0-based) of an image CheckImage accepted; null when it turns out damaged.
PixPtr DecodeImagePage(std::string_view bytes, int page);

// A page rendered elsewhere (8-bit grey rows, `stride` bytes apart) as a page image.
PixPtr GrayPagePix(const std::uint8_t* rows, int width, int height, int stride, int dpi);

}  // namespace vernalo
