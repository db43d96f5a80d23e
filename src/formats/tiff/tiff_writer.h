// WriteTiffFile: a TBitmap as an uncompressed, little-endian, single-strip TIFF file.
#pragma once

#include <string>

#include "graphics/bitmap.h"
#include "graphics/stream.h"

namespace pictorand {

// Writes at the stream's start; 1-, 4- and 8-bit rasters keep their indexes (4-bit
// widths rounded down to a multiple of 4), every other depth is written as 24-bit RGB.
void WriteTiffStream(TStream& stream, const TBitmap& bitmap);
void WriteTiffFile(const std::string& path, const TBitmap& bitmap);

}  // namespace pictorand
