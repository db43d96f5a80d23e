#include "graphics/indexed_alpha.h"

#include <vector>

#include "graphics/pixel_access.h"

namespace pictorand {

void AlphaFromIndexes(TBitmap& raster, std::span<const std::uint8_t> alphaOfIndex) {
    if (!IsIndexed(raster.PixelFormat())) return;
    const int bits = BitsPerPixel(raster.PixelFormat());
    const auto width = static_cast<std::size_t>(raster.Width());
    std::vector<std::uint8_t> alpha(width * static_cast<std::size_t>(raster.Height()));
    for (int y = 0; y < raster.Height(); ++y) {
        const std::uint8_t* row = raster.ScanLine(y);
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t index = ReadRawPixel(row, static_cast<int>(x), bits);
            alpha[static_cast<std::size_t>(y) * width + x] = index < alphaOfIndex.size() ? alphaOfIndex[index] : 255;
        }
    }
    raster.SetTransparent(false);
    raster.SetPixelFormat(TPixelFormat::pf32bit);
    raster.SetHasAlpha(true);
    for (int y = 0; y < raster.Height(); ++y) {
        std::uint8_t* p = raster.ScanLine(y);
        for (std::size_t x = 0; x < width; ++x) p[4 * x + 3] = alpha[static_cast<std::size_t>(y) * width + x];
    }
}

}  // namespace pictorand
