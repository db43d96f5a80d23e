#include "formats/jpeg/jpeg_metadata.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "formats/common/exif.h"

namespace pictorand {

namespace {

constexpr std::string_view ExifName{"Exif\0\0", 6};
constexpr std::string_view XmpName{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view IccName{"ICC_PROFILE\0", 12};
constexpr std::string_view PhotoshopName{"Photoshop 3.0\0", 14};

bool StartsWith(std::span<const std::uint8_t> data, std::string_view name) {
    return data.size() >= name.size() && std::equal(name.begin(), name.end(), data.begin(), [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

}  // namespace

TSourceMetadata ReadJpegMetadata(std::span<const std::uint8_t> file) {
    TSourceMetadata metadata;
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return metadata;
    std::map<int, std::span<const std::uint8_t>> iccParts;
    int iccCount = 0;
    std::size_t at = 2;
    while (at + 4 <= file.size()) {
        if (file[at] != 0xFF) break;
        const std::uint8_t marker = file[at + 1];
        if (marker == 0xFF) {  // fill bytes before a marker
            ++at;
            continue;
        }
        // The scan, or the end of the picture, ends the header segments.
        if (marker == 0xDA || marker == 0xD9) break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const std::size_t length = file[at + 2] << 8 | file[at + 3];
        if (length < 2 || at + 2 + length > file.size()) break;
        const auto data = file.subspan(at + 4, length - 2);
        if (marker == 0xE1 && StartsWith(data, ExifName) && metadata.Exif.empty()) {
            metadata.Exif.assign(data.begin() + ExifName.size(), data.end());
        } else if (marker == 0xE1 && StartsWith(data, XmpName) && metadata.Xmp.empty()) {
            metadata.Xmp.assign(data.begin() + XmpName.size(), data.end());
        } else if (marker == 0xE2 && StartsWith(data, IccName) && data.size() > IccName.size() + 2) {
            const int sequence = data[IccName.size()], count = data[IccName.size() + 1];
            if (iccCount == 0) iccCount = count;
            if (count == iccCount && sequence >= 1 && sequence <= count) iccParts.emplace(sequence, data.subspan(IccName.size() + 2));
        } else if (marker == 0xED && StartsWith(data, PhotoshopName) && metadata.Iptc.empty()) {
            metadata.Iptc.assign(data.begin() + PhotoshopName.size(), data.end());
        }
        at += 2 + length;
    }
    // A profile with a part missing is no profile.
    if (iccCount > 0 && static_cast<int>(iccParts.size()) == iccCount) {
        for (const auto& [sequence, part] : iccParts) metadata.IccProfile.insert(metadata.IccProfile.end(), part.begin(), part.end());
    }
    metadata.Orientation = ExifOrientation(metadata.Exif);
    return metadata;
}

}  // namespace pictorand
