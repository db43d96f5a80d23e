#include "graphics/bitmap.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "graphics/bmp_file.h"
#include "graphics/exceptions.h"
#include "graphics/pixel_access.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {

std::uint8_t Expand5(std::uint32_t v) { return static_cast<std::uint8_t>(v << 3 | v >> 2); }
std::uint8_t Expand6(std::uint32_t v) { return static_cast<std::uint8_t>(v << 2 | v >> 4); }

}  // namespace

void TBitmap::Allocate(int width, int height, TPixelFormat format) {
    if (width < 0 || height < 0 || width > MaxRasterSide || height > MaxRasterSide)
        throw EOutOfMemory(std::string(runtime_texts::ImageTooLarge));
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
    if (pixels > RasterCap()) {
        throw EOutOfMemory(std::string(runtime_texts::ImageTooLarge) + ": " + std::to_string(width) + " × " + std::to_string(height) + " is " +
                           std::to_string(Megapixels(pixels)) + " MP, above the limit of " + std::to_string(Megapixels(RasterCap())) + " MP");
    }
    const std::size_t stride = BytesPerRow(static_cast<std::size_t>(width), BitsPerPixel(format));
    const auto total = CheckedProduct(static_cast<std::int64_t>(stride), height, MaxRasterBytes);
    if (!total) throw EOutOfMemory(std::string(runtime_texts::ImageTooLarge));
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = stride;
    pixels_ = TByteBuffer(static_cast<std::size_t>(*total));
}

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    TBitmap resized;
    resized.Allocate(width, height, format_);  // raises before anything here changes
    const int rows = std::min(height, height_);
    const std::size_t bytes = std::min(resized.stride_, stride_);
    if (bytes != 0) {
        for (int y = 0; y < rows; ++y) std::memcpy(resized.ScanLine(y), ScanLine(y), bytes);
    }
    width_ = width;
    height_ = height;
    stride_ = resized.stride_;
    pixels_ = std::move(resized.pixels_);
}

void TBitmap::SetPalette(TPalette palette) {
    if (palette.size() > 256) palette.resize(256);
    palette_ = std::move(palette);
}

std::uint8_t* TBitmap::ScanLine(int y) {
    return pixels_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
    return pixels_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
}

TColor TBitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return clBlack;
    const std::uint32_t raw = ReadRawPixel(ScanLine(y), x, BitsPerPixel(format_));
    switch (format_) {
        case TPixelFormat::pf1bit:
        case TPixelFormat::pf4bit:
        case TPixelFormat::pf8bit: return raw < palette_.size() ? palette_[raw].Color() : clBlack;
        case TPixelFormat::pf15bit: return RGBColor(Expand5(raw >> 10 & 31), Expand5(raw >> 5 & 31), Expand5(raw & 31));
        case TPixelFormat::pf16bit: return RGBColor(Expand5(raw >> 11 & 31), Expand6(raw >> 5 & 63), Expand5(raw & 31));
        default: return RGBColor(static_cast<std::uint8_t>(raw >> 16), static_cast<std::uint8_t>(raw >> 8), static_cast<std::uint8_t>(raw));
    }
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* row = ScanLine(y);
    const int bits = BitsPerPixel(format_);
    switch (format_) {
        case TPixelFormat::pf1bit:
        case TPixelFormat::pf4bit:
        case TPixelFormat::pf8bit: WriteIndexPixel(row, x, bits, NearestPaletteIndex(palette_, color)); return;
        case TPixelFormat::pf15bit: {
            const auto v = static_cast<std::uint16_t>((RedOf(color) >> 3) << 10 | (GreenOf(color) >> 3) << 5 | BlueOf(color) >> 3);
            row[2 * x] = static_cast<std::uint8_t>(v);
            row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            return;
        }
        case TPixelFormat::pf16bit: {
            const auto v = static_cast<std::uint16_t>((RedOf(color) >> 3) << 11 | (GreenOf(color) >> 2) << 5 | BlueOf(color) >> 3);
            row[2 * x] = static_cast<std::uint8_t>(v);
            row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            return;
        }
        case TPixelFormat::pf24bit:
            row[3 * x] = BlueOf(color);
            row[3 * x + 1] = GreenOf(color);
            row[3 * x + 2] = RedOf(color);
            return;
        default:
            row[4 * x] = BlueOf(color);
            row[4 * x + 1] = GreenOf(color);
            row[4 * x + 2] = RedOf(color);
            row[4 * x + 3] = 0;
            return;
    }
}

void TBitmap::FillRect(const TRect& rect, TColor color) {
    const int left = std::max(rect.Left, 0), right = std::min(rect.Right, width_);
    const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, height_);
    if (left >= right || top >= bottom) return;
    if (format_ == TPixelFormat::pf24bit) {
        for (int y = top; y < bottom; ++y) {
            std::uint8_t* p = ScanLine(y) + 3 * left;
            for (int x = left; x < right; ++x, p += 3) {
                p[0] = BlueOf(color);
                p[1] = GreenOf(color);
                p[2] = RedOf(color);
            }
        }
        return;
    }
    if (BitsPerPixel(format_) == 32) {
        const std::uint8_t pixel[4] = {BlueOf(color), GreenOf(color), RedOf(color), 0};
        for (int y = top; y < bottom; ++y) {
            std::uint8_t* p = ScanLine(y) + 4 * static_cast<std::size_t>(left);
            for (int x = left; x < right; ++x, p += 4) std::memcpy(p, pixel, 4);
        }
        return;
    }
    // An indexed picture takes the palette entry nearest the colour, found once.
    if (format_ == TPixelFormat::pf1bit || format_ == TPixelFormat::pf4bit || format_ == TPixelFormat::pf8bit) {
        const int bits = BitsPerPixel(format_);
        const std::uint8_t index = NearestPaletteIndex(palette_, color);
        for (int y = top; y < bottom; ++y) {
            std::uint8_t* row = ScanLine(y);
            if (bits == 8) std::memset(row + left, index, static_cast<std::size_t>(right - left));
            else
                for (int x = left; x < right; ++x) WriteIndexPixel(row, x, bits, index);
        }
        return;
    }
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) SetPixel(x, y, color);
}

void TBitmap::Draw(int x, int y, const TBitmap& source) {
    const int left = std::max(x, 0), right = std::min(x + source.Width(), width_);
    const int top = std::max(y, 0), bottom = std::min(y + source.Height(), height_);
    if (left >= right || top >= bottom) return;
    const bool keyed = source.Transparent();
    const TColor key = keyed ? source.TransparentColor() : 0;
    if (!keyed && format_ == source.format_ && format_ == TPixelFormat::pf24bit) {
        for (int row = top; row < bottom; ++row)
            std::memcpy(ScanLine(row) + 3 * left, source.ScanLine(row - y) + 3 * (left - x), 3 * static_cast<std::size_t>(right - left));
        return;
    }
    for (int row = top; row < bottom; ++row) {
        for (int col = left; col < right; ++col) {
            const TColor color = source.GetPixel(col - x, row - y);
            if (!keyed || color != key) SetPixel(col, row, color);
        }
    }
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == TTransparentMode::Fixed) return transparentColor_;
    if (format_ == TPixelFormat::pf1bit) return clWhite;
    return GetPixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    transparentColor_ = color;
    transparentMode_ = TTransparentMode::Fixed;
}

void TBitmap::Assign(const TGraphic& source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        if (bitmap == this) return;
        const TProgressEvent progress = OnProgress;
        static_cast<TBitmap&>(*this) = TBitmap(*bitmap);
        OnProgress = progress;
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::AssignTo(TGraphic& dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        bitmap->TBitmap::Assign(*this);
        return;
    }
    TGraphic::AssignTo(dest);
}

void TBitmap::ReleaseTo(TBitmap& dest) {
    if (&dest == this) return;
    const TProgressEvent progress = dest.OnProgress;
    dest.TBitmap::operator=(std::move(*this));
    dest.OnProgress = progress;
    TBitmap::operator=(TBitmap());
}

void TBitmap::LoadFromStream(TStream& stream) {
    TBitmap loaded = ReadBmpStream(stream);
    const TProgressEvent progress = OnProgress;
    *this = std::move(loaded);
    OnProgress = progress;
}

void TBitmap::SaveToStream(TStream& stream) { WriteBmpStream(*this, stream); }

void TBitmap::Clear() {
    width_ = height_ = 0;
    stride_ = 0;
    pixels_ = TByteBuffer();
    palette_.clear();
}

}  // namespace pictorand
