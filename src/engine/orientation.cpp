#include "engine/orientation.h"

#include <cstring>

namespace pictorand {

void TurnUpright(TBitmap& raster, int orientation) {
    if (orientation < 2 || orientation > 8 || raster.Empty()) return;
    if (raster.PixelFormat() != TPixelFormat::pf32bit) raster.SetPixelFormat(TPixelFormat::pf24bit);
    const std::size_t bytes = raster.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3;
    const int w = raster.Width(), h = raster.Height();
    // Orientations 5 to 8 exchange width and height.
    const bool swapped = orientation >= 5;
    TBitmap turned;
    turned.SetPixelFormat(raster.PixelFormat());
    turned.SetSize(swapped ? h : w, swapped ? w : h);
    turned.SetHasAlpha(raster.HasAlpha());
    for (int y = 0; y < turned.Height(); ++y) {
        std::uint8_t* out = turned.ScanLine(y);
        for (int x = 0; x < turned.Width(); ++x, out += bytes) {
            // The stored pixel shown at (x, y).
            int sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;                  // mirrored left to right
                case 3: sx = w - 1 - x; sy = h - 1 - y; break;  // turned half round
                case 4: sy = h - 1 - y; break;                  // mirrored top to bottom
                case 5: sx = y; sy = x; break;                  // mirrored along the main diagonal
                case 6: sx = y; sy = h - 1 - x; break;          // to be turned a quarter clockwise
                case 7: sx = w - 1 - y; sy = h - 1 - x; break;  // mirrored along the other diagonal
                case 8: sx = w - 1 - y; sy = x; break;          // to be turned a quarter anticlockwise
                default: break;
            }
            std::memcpy(out, raster.ScanLine(sy) + static_cast<std::size_t>(sx) * bytes, bytes);
        }
    }
    raster = std::move(turned);
}

}  // namespace pictorand
