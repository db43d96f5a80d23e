// The metadata an output carries on from its source when the run keeps metadata.
#pragma once

#include <optional>

#include "formats/common/source_metadata.h"

namespace pictorand {

// EXIF (orientation 1 when the pixels were turned upright, without its thumbnail), XMP,
// IPTC, and the source's RGB profile when its colours were not converted; nothing when
// none of them is left.
std::optional<TSourceMetadata> MetadataForOutput(const TSourceMetadata& source, bool turnedUpright, bool profileConverted);

}  // namespace pictorand
