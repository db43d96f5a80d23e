// WriteTiffFile: a TBitmap as an uncompressed, little-endian, single-strip TIFF file.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "graphics/bitmap.h"
#include "graphics/stream.h"

namespace pictorand {

// Writes at the stream's start; 1-, 4- and 8-bit rasters keep their indexes (4-bit
// widths rounded down to a multiple of 4), every other depth is written as 24-bit RGB.
// An ICC profile, when given, goes with RGB pictures (tag 34675); indexed ones skip it.
void WriteTiffStream(TStream& stream, const TBitmap& bitmap, std::span<const std::uint8_t> iccProfile = {});
void WriteTiffFile(const std::string& path, const TBitmap& bitmap);

}  // namespace pictorand
