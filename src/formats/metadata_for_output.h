// The metadata an output carries on from its source.
#pragma once

#include <optional>
#include <span>

#include "formats/common/exif.h"
#include "formats/common/source_metadata.h"

namespace pictorand {

// When the run keeps metadata, EXIF (without its thumbnail, its orientation, size and colour
// space those of the output), XMP (its orientation too) and IPTC; and the profile of pixels left in the source's
// colours when it is an RGB one. Nothing when none of them is left.
std::optional<TSourceMetadata> MetadataForOutput(const TSourceMetadata& source, bool keepMetadata, const TExifUpdate& update,
                                                 std::span<const std::uint8_t> unconvertedProfile);

}  // namespace pictorand
