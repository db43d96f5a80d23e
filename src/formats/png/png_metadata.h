// The metadata chunks of a PNG file.
#pragma once

#include <span>

#include "formats/common/source_metadata.h"

namespace pictorand {

// EXIF (eXIf), the ICC profile (iCCP, inflated) and XMP (the iTXt chunk of keyword
// "XML:com.adobe.xmp", uncompressed). Damaged chunks are passed over.
TSourceMetadata ReadPngMetadata(std::span<const std::uint8_t> file);

}  // namespace pictorand
