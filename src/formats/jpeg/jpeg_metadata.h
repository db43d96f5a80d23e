// The metadata segments of a JPEG file, read from its markers before the scan starts.
#pragma once

#include <span>

#include "formats/common/source_metadata.h"

namespace pictorand {

// EXIF (APP1), XMP (APP1), the ICC profile (APP2, joined in sequence order when split
// over several segments) and the Photoshop IPTC block (APP13). Damaged segments are
// passed over.
TSourceMetadata ReadJpegMetadata(std::span<const std::uint8_t> file);

}  // namespace pictorand
