// WritePcxFile: a TBitmap as a run-length encoded ZSoft PCX file (version 5).
#pragma once

#include <string>

#include "graphics/bitmap.h"
#include "graphics/stream.h"

namespace pictorand {

// Layout codes: 1 one 1-bit plane, 2 four 1-bit planes, 3 one 8-bit plane, 4 three
// 8-bit planes (red, green, blue).
void WritePcxStream(TStream& stream, const TBitmap& bitmap, int layout);
void WritePcxFile(const std::string& path, const TBitmap& bitmap, int layout);

// Run-length encodes one plane: runs of at most 63, and single bytes of C0 hex or more,
// as a count byte and the value.
std::vector<std::uint8_t> EncodePcxPlane(std::span<const std::uint8_t> plane);

}  // namespace pictorand
