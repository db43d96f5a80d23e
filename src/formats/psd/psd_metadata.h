// The metadata image resources of a Photoshop file.
#pragma once

#include <span>

#include "formats/common/source_metadata.h"

namespace pictorand {

// The ICC profile (resource 1039), EXIF (1058), XMP (1060) and IPTC (1028, kept as the
// resource block an output's Photoshop segment holds).
TSourceMetadata ReadPsdMetadata(std::span<const std::uint8_t> file);

}  // namespace pictorand
