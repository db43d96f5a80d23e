// Windows device-independent bitmap files: decoding into and encoding from TBitmap.
#pragma once

#include <cstdint>
#include <span>

#include "graphics/bitmap.h"
#include "graphics/row_bands.h"
#include "graphics/stream.h"

namespace pictorand {

struct TBmpSize {
    int Width = 0, Height = 0;
    int BitsPerPixel = 0;
    bool AlphaMask = false;  // bit fields with an alpha mask
};
// The picture's size and depth from the headers, checked as decoding checks them.
TBmpSize ProbeBmp(std::span<const std::uint8_t> file);
// Decodes a whole BMP file. Accepts the core (OS/2 1.x), OS/2 2.x and the 40-, 52-,
// 56-, 108- and 124-byte headers; 1, 2, 4, 8, 16, 24 and 32 bits per pixel; RLE4,
// RLE8, bit fields and top-down rows. Anything malformed raises EInvalidGraphic.
// With keepAlpha, bit fields with an alpha mask give 32 bits with that alpha (none
// when every pixel's alpha is zero, as files that leave the field unused have it).
// With rowsTo, a picture stored uncompressed and without alpha kept gives its rows there a
// band at a time instead, and the bitmap answered is empty.
TBitmap DecodeBmp(std::span<const std::uint8_t> file, bool keepAlpha = false, const TRowSink* rowsTo = nullptr);

// Reads the rest of the stream as one BMP file.
TBitmap ReadBmpStream(TStream& stream);

// Writes the bitmap in its own pixel format and palette with a 40-byte info header
// (bit fields for 5-6-5 rasters; device-dependent and custom rasters as 32 bits).
void WriteBmpStream(const TBitmap& bitmap, TStream& stream);

}  // namespace pictorand
