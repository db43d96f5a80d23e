// The metadata chunks of a PNG file.
#pragma once

#include <optional>
#include <span>

#include "formats/common/source_metadata.h"

namespace pictorand {

// EXIF (eXIf), the ICC profile (iCCP, inflated) and XMP (the iTXt chunk of keyword
// "XML:com.adobe.xmp", uncompressed). Damaged chunks are passed over.
// With neither iCCP nor sRGB, a cHRM with a gAMA gives the chromaticities.
TSourceMetadata ReadPngMetadata(std::span<const std::uint8_t> file);

// The colour a cHRM chunk's data and a gAMA chunk's data describe, when both are whole
// and plausible (chromaticities within 0..1 and the white's y above zero, the exponent
// between 0.01 and 10) and are not sRGB's own values.
std::optional<TChromaticities> PngChromaticities(std::span<const std::uint8_t> chrm, std::span<const std::uint8_t> gama);

}  // namespace pictorand
