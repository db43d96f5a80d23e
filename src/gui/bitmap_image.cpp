#include "gui/bitmap_image.h"

#include <cstring>

namespace pictorand {

QImage ToQImage(const TBitmap& bitmap) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0) return {};
    // Blue, green, red and alpha in memory is Qt's 32-bit layout on a little-endian machine.
    TBitmap wide;
    const TBitmap* pixels = &bitmap;
    if (bitmap.PixelFormat() != TPixelFormat::pf32bit) {
        wide = bitmap;
        wide.SetPixelFormat(TPixelFormat::pf32bit);
        pixels = &wide;
    }
    QImage image(bitmap.Width(), bitmap.Height(), bitmap.HasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = image.scanLine(y);
        std::memcpy(row, pixels->ScanLine(y), static_cast<std::size_t>(bitmap.Width()) * 4);
        // Qt's RGB32 wants its unused byte set.
        if (!bitmap.HasAlpha())
            for (int x = 0; x < bitmap.Width(); ++x) row[4 * x + 3] = 255;
    }
    return image;
}

}  // namespace pictorand
