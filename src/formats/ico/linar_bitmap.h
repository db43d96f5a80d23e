// TLinarBitmap: an uncompressed raster of 8-bit indexes, 24-bit pixels or 32-bit pixels
// with straight alpha, rows top first without padding, saved by the icon writer, the one
// writer of such rasters.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/exceptions.h"
#include "graphics/stream.h"

namespace pictorand {

class ELinarBitmap : public Exception {
public:
    using Exception::Exception;
};
class EUnsupportedFileFormat : public ELinarBitmap {
public:
    using ELinarBitmap::ELinarBitmap;
};

class TLinarBitmap {
public:
    // 8-bit and 24-bit rasters, and 32-bit ones that carry alpha, are taken; any other
    // source empties the raster.
    void AssignFromBitmap(const TBitmap& bitmap);
    void AssignToBitmap(TBitmap& bitmap) const;
    // Raises ELinarBitmap for formats other than 8-, 24- and 32-bit and sizes below 1.
    void Allocate(int width, int height, TPixelFormat format);
    void Clear();
    // Writes an icon or cursor file by the path's extension; any other extension raises
    // EUnsupportedFileFormat.
    void SaveToFile(const std::string& path) const;
    // The same for an extension without its dot.
    void SaveToStream(TStream& stream, std::string_view extension) const;

    bool Present() const { return !pixels_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    TPixelFormat PixelFormat() const { return format_; }
    std::size_t BytesPerLine() const { return static_cast<std::size_t>(width_) * BytesPerPixel(); }
    std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * BytesPerLine(); }
    const std::uint8_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * BytesPerLine(); }
    // 256 entries of blue, green, red for 8-bit rasters.
    const std::vector<TRGBQuad>& Palette() const { return palette_; }

private:
    std::size_t BytesPerPixel() const { return format_ == TPixelFormat::pf8bit ? 1 : format_ == TPixelFormat::pf24bit ? 3 : 4; }

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pfCustom;
    std::vector<std::uint8_t> pixels_;
    std::vector<TRGBQuad> palette_;
};

// The icon and cursor writer: one image, 24-, 8- or 4-bit, with a transparency mask in
// which the transparent colour (magenta unless changed) becomes transparent; or 32-bit
// with its alpha, the mask marking the fully transparent pixels.
class TICOLoader {
public:
    // Icons ("ico") and cursors ("cur"), compared without case.
    bool AcceptsForSave(std::string_view extension) const;
    void WriteImage(TStream& stream, std::string_view extension, const TLinarBitmap& bitmap);

    TColor TransparentColor = RGBColor(255, 0, 255);
    std::uint16_t HotSpotX = 0;
    std::uint16_t HotSpotY = 0;
};

}  // namespace pictorand
