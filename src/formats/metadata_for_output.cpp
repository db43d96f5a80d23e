#include "formats/metadata_for_output.h"

#include "formats/common/exif.h"
#include "formats/common/metadata_segments.h"

namespace pictorand {

std::optional<TSourceMetadata> MetadataForOutput(const TSourceMetadata& source, bool turnedUpright, bool profileConverted) {
    TSourceMetadata kept;
    kept.Exif = ExifForOutput(source.Exif, turnedUpright);
    kept.Xmp = source.Xmp;
    kept.Iptc = source.Iptc;
    if (!profileConverted && IsRgbProfile(source.IccProfile)) kept.IccProfile = source.IccProfile;
    if (kept.Exif.empty() && kept.Xmp.empty() && kept.Iptc.empty() && kept.IccProfile.empty()) return std::nullopt;
    return kept;
}

}  // namespace pictorand
