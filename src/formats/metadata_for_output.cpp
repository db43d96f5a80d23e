#include "formats/metadata_for_output.h"

#include "formats/common/exif.h"
#include "formats/common/metadata_segments.h"

#include <string>
#include <string_view>

namespace pictorand {

namespace {

// The packet with its tiff:Orientation, as an attribute or an element, set to 1.
std::vector<std::uint8_t> XmpUpright(const std::vector<std::uint8_t>& xmp) {
    std::string text(xmp.begin(), xmp.end());
    for (const std::string_view opening : {std::string_view("tiff:Orientation=\""), std::string_view("<tiff:Orientation>")}) {
        for (std::size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1)) {
            const std::size_t value = at + opening.size();
            if (value < text.size() && text[value] >= '1' && text[value] <= '8') text[value] = '1';
        }
    }
    return {text.begin(), text.end()};
}

}  // namespace

std::optional<TSourceMetadata> MetadataForOutput(const TSourceMetadata& source, bool keepMetadata, const TExifUpdate& update,
                                                 std::span<const std::uint8_t> unconvertedProfile) {
    TSourceMetadata kept;
    if (keepMetadata) {
        kept.Exif = ExifForOutput(source.Exif, update);
        kept.Xmp = update.TurnedUpright ? XmpUpright(source.Xmp) : source.Xmp;
        kept.Iptc = source.Iptc;
    }
    if (IsRgbProfile(unconvertedProfile)) kept.IccProfile.assign(unconvertedProfile.begin(), unconvertedProfile.end());
    if (kept.Exif.empty() && kept.Xmp.empty() && kept.Iptc.empty() && kept.IccProfile.empty()) return std::nullopt;
    return kept;
}

}  // namespace pictorand
