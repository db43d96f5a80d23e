// Carrying metadata into written files: the segments of a JPEG file and the chunks of a
// PNG file that hold it, put into an encoded file after its header.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "formats/common/source_metadata.h"

namespace pictorand {

// EXIF and XMP as APP1, the ICC profile as APP2 segments (split as large profiles
// need), IPTC as APP13; after the JFIF segment when there is one. A block too large
// for its segment is left out.
std::vector<std::uint8_t> JpegWithMetadata(std::span<const std::uint8_t> jpeg, const TSourceMetadata& metadata);

// EXIF as eXIf and the ICC profile as iCCP, after the IHDR chunk.
std::vector<std::uint8_t> PngWithMetadata(std::span<const std::uint8_t> png, const TSourceMetadata& metadata);

// Whether a profile describes RGB colours (and so may go with RGB output).
bool IsRgbProfile(std::span<const std::uint8_t> profile);

}  // namespace pictorand
