// TBitmap: the in-memory raster every stage passes on. Rows are padded to 4 bytes and
// stored bottom-up as in a device-independent bitmap, so ScanLine(0), the top row, lies
// at the highest address. 24-bit pixels are blue, green, red.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "graphics/color.h"
#include "graphics/graphic.h"
#include "graphics/pixel_format.h"
#include "graphics/zeroed_buffer.h"

namespace pictorand {

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

enum class TTransparentMode { Auto, Fixed };

class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(const TBitmap&) = default;
    TBitmap& operator=(const TBitmap&) = default;
    TBitmap(TBitmap&&) noexcept = default;
    TBitmap& operator=(TBitmap&&) noexcept = default;

    std::string_view ClassName() const override { return "TBitmap"; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return width_ == 0 || height_ == 0; }

    // Changing the size keeps the pixels of the overlapping top-left area; new pixels are 0.
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return format_; }
    // Whether the fourth byte of each 32-bit pixel is straight (not premultiplied) alpha
    // that the picture means; other formats have none.
    bool HasAlpha() const { return hasAlpha_ && format_ == TPixelFormat::pf32bit; }
    void SetHasAlpha(bool hasAlpha) { hasAlpha_ = hasAlpha; }
    // Converts the pixels to the new format (through the palette for indexed sources,
    // to the nearest palette entry for indexed targets).
    void SetPixelFormat(TPixelFormat format);
    // Row y as SetPixelFormat(pf24bit) would make it, written to out (3 bytes a pixel),
    // without converting the raster.
    void RowAs24Bit(int y, std::uint8_t* out) const;

    const TPalette& Palette() const { return palette_; }
    // At most 256 entries are kept.
    void SetPalette(TPalette palette);

    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    std::size_t RowStride() const { return stride_; }
    // The whole pixel buffer, bottom row first.
    std::span<std::uint8_t> Bits() { return pixels_; }
    std::span<const std::uint8_t> Bits() const { return pixels_; }

    // The colour of one pixel; indexes beyond the palette read as black. Outside the
    // raster the answer is black and writes are ignored.
    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    void FillRect(const TRect& rect, TColor color);
    void Fill(TColor color) { FillRect({0, 0, width_, height_}, color); }
    // Draws source with its top-left corner at (x, y), clipped to this raster; when
    // source is transparent its transparent colour is left out.
    void Draw(int x, int y, const TBitmap& source);
    void Draw(TBitmap& canvas, int x, int y) const override { canvas.Draw(x, y, *this); }

    // The automatic transparent colour is the bottom-left pixel's (white for 1-bit rasters).
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode) { transparentMode_ = mode; }

    void Assign(const TGraphic& source) override;
    void AssignTo(TGraphic& dest) const override;
    // Moves the pixels to dest and leaves this bitmap empty.
    void ReleaseTo(TBitmap& dest) override;

    // Windows device-independent bitmap files.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // Frees the pixels and the palette; the pixel format is kept.
    void Clear();

private:
    void Allocate(int width, int height, TPixelFormat format);
    void ConvertPixels(TPixelFormat format);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    std::size_t stride_ = 0;
    TByteBuffer pixels_;
    TPalette palette_;
    TColor transparentColor_ = clBlack;
    TTransparentMode transparentMode_ = TTransparentMode::Auto;
    bool hasAlpha_ = false;
};

}  // namespace pictorand
