#include "formats/metadata_for_output.h"

#include "formats/common/exif.h"
#include "formats/common/metadata_segments.h"

namespace pictorand {

std::optional<TSourceMetadata> MetadataForOutput(const TSourceMetadata& source, bool keepMetadata, bool turnedUpright,
                                                 std::span<const std::uint8_t> unconvertedProfile) {
    TSourceMetadata kept;
    if (keepMetadata) {
        kept.Exif = ExifForOutput(source.Exif, turnedUpright);
        kept.Xmp = source.Xmp;
        kept.Iptc = source.Iptc;
    }
    if (IsRgbProfile(unconvertedProfile)) kept.IccProfile.assign(unconvertedProfile.begin(), unconvertedProfile.end());
    if (kept.Exif.empty() && kept.Xmp.empty() && kept.Iptc.empty() && kept.IccProfile.empty()) return std::nullopt;
    return kept;
}

}  // namespace pictorand
