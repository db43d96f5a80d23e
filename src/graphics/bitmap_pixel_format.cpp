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
    } else if (format == TPixelFormat::pf24bit) {
        for (int y = 0; y < height_; ++y) RowAs24Bit(y, target.ScanLine(y));
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

void TBitmap::RowAs24Bit(int y, std::uint8_t* out) const {
    const std::uint8_t* in = ScanLine(y);
    const int bits = BitsPerPixel(format_);
    if (format_ == TPixelFormat::pf24bit) {
        std::memcpy(out, in, static_cast<std::size_t>(width_) * 3);
    } else if (bits == 32) {
        // The fourth byte is dropped.
        for (int x = 0; x < width_; ++x, in += 4, out += 3) std::memcpy(out, in, 3);
    } else if (IsIndexed(format_)) {
        // Each index's colour once, as GetPixel gives it (black beyond the palette).
        std::uint8_t colours[256][3];
        const int entries = 1 << bits;
        for (int index = 0; index < entries; ++index) {
            const TColor colour = static_cast<std::size_t>(index) < palette_.size() ? palette_[static_cast<std::size_t>(index)].Color() : clBlack;
            colours[index][0] = BlueOf(colour);
            colours[index][1] = GreenOf(colour);
            colours[index][2] = RedOf(colour);
        }
        for (int x = 0; x < width_; ++x, out += 3) std::memcpy(out, colours[ReadRawPixel(in, x, bits)], 3);
    } else {
        for (int x = 0; x < width_; ++x, out += 3) {
            const TColor colour = GetPixel(x, y);
            out[0] = BlueOf(colour);
            out[1] = GreenOf(colour);
            out[2] = RedOf(colour);
        }
    }
}

}  // namespace pictorand
