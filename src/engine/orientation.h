// TurnUpright: turns or mirrors a raster as an EXIF orientation (1 to 8) says, so that
// it shows as its author saw it.
#pragma once

#include "graphics/bitmap.h"

namespace pictorand {

// Orientation 1 (and any value outside 1 to 8) leaves the raster alone. Otherwise a
// 32-bit raster stays 32-bit (with its alpha) and every other one becomes 24-bit.
void TurnUpright(TBitmap& raster, int orientation);

}  // namespace pictorand
