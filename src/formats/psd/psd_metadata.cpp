#include "formats/psd/psd_metadata.h"

#include "formats/common/exif.h"
#include "formats/psd/psd_resources.h"

namespace pictorand {

TSourceMetadata ReadPsdMetadata(std::span<const std::uint8_t> file) {
    TSourceMetadata metadata;
    ForEachPsdResource(PsdResourceSection(file),
                       [&metadata](std::uint16_t id, std::span<const std::uint8_t> data, std::span<const std::uint8_t> whole) {
                           switch (id) {
                               case 1039: metadata.IccProfile.assign(data.begin(), data.end()); break;
                               case 1058: metadata.Exif.assign(data.begin(), data.end()); break;
                               case 1060: metadata.Xmp.assign(data.begin(), data.end()); break;
                               case 1028: metadata.Iptc.assign(whole.begin(), whole.end()); break;
                               default: break;
                           }
                           return true;
                       });
    metadata.Orientation = ExifOrientation(metadata.Exif);
    return metadata;
}

}  // namespace pictorand
