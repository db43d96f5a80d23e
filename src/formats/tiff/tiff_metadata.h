// The metadata tags of a TIFF file's first image.
#pragma once

#include <span>

#include "formats/common/source_metadata.h"

namespace pictorand {

// The orientation (tag 274), the ICC profile (34675) and XMP (700).
TSourceMetadata ReadTiffMetadata(std::span<const std::uint8_t> file);

}  // namespace pictorand
