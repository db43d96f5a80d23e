// Alpha given per palette entry (a PNG's tRNS, a GIF's transparent index) made the
// picture's own: an indexed raster becomes 32-bit with each pixel's alpha that of its index.
#pragma once

#include <cstdint>
#include <span>

#include "graphics/bitmap.h"

namespace pictorand {

// Indexes beyond the table are opaque. A raster that is not indexed is left as it is.
void AlphaFromIndexes(TBitmap& raster, std::span<const std::uint8_t> alphaOfIndex);

}  // namespace pictorand
