// Pixel format changes of TBitmap.
#include <cstring>

#include "graphics/bitmap.h"
#include "graphics/pixel_access.h"

namespace pictorand {

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    if (Empty()) {
        format_ = format;
        stride_ = BytesPerRow(static_cast<std::size_t>(width_), BitsPerPixel(format));
        pixels_ = TByteBuffer(stride_ * static_cast<std::size_t>(height_));
        if (IsIndexed(format) && palette_.empty()) palette_ = DefaultPaletteFor(BitsPerPixel(format));
        return;
    }
    ConvertPixels(format);
}

void TBitmap::ConvertPixels(TPixelFormat format) {
    TBitmap target;
    target.Allocate(width_, height_, format);  // raises before anything here changes
    const int sourceBits = BitsPerPixel(format_);
    const int targetBits = BitsPerPixel(format);

    if (IsIndexed(format) && IsIndexed(format_) && palette_.size() <= (std::size_t{1} << targetBits)) {
        // An indexed source whose palette fits keeps its palette and its indexes.
        target.palette_ = palette_;
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* in = ScanLine(y);
            std::uint8_t* out = target.ScanLine(y);
            for (int x = 0; x < width_; ++x) WriteIndexPixel(out, x, targetBits, ReadRawPixel(in, x, sourceBits));
        }
    } else if (sourceBits == 32 && targetBits == 24) {
        // The fourth byte is dropped.
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* in = ScanLine(y);
            std::uint8_t* out = target.ScanLine(y);
            for (int x = 0; x < width_; ++x, in += 4, out += 3) std::memcpy(out, in, 3);
        }
    } else {
        if (IsIndexed(format)) target.palette_ = DefaultPaletteFor(targetBits);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) target.SetPixel(x, y, GetPixel(x, y));
    }
    format_ = format;
    stride_ = target.stride_;
    pixels_ = std::move(target.pixels_);
    palette_ = IsIndexed(format) ? std::move(target.palette_) : TPalette{};
}

}  // namespace pictorand
