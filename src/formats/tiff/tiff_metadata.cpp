#include "formats/tiff/tiff_metadata.h"

#include "formats/common/exif.h"

namespace pictorand {

TSourceMetadata ReadTiffMetadata(std::span<const std::uint8_t> file) {
    constexpr std::uint16_t IccTag = 34675, XmpTag = 700;
    TSourceMetadata metadata;
    metadata.Orientation = ExifOrientation(file);
    const auto icc = Ifd0TagBytes(file, IccTag);
    metadata.IccProfile.assign(icc.begin(), icc.end());
    const auto xmp = Ifd0TagBytes(file, XmpTag);
    metadata.Xmp.assign(xmp.begin(), xmp.end());
    metadata.Exif = ExifFromTiffTags(file);
    return metadata;
}

}  // namespace pictorand
