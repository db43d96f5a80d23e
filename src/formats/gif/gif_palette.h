// ReduceToPalette: the histogram popularity reduction of a true-colour raster to an
// 8-bit raster with a 256-entry palette, without dithering.
#pragma once

#include "graphics/bitmap.h"

namespace pictorand {

// The most frequent (masked) colours become the palette, most frequent first; every
// other colour maps to its nearest palette entry. Unused slots are grey 128.
TBitmap ReduceToPalette(const TBitmap& bitmap);

}  // namespace pictorand
