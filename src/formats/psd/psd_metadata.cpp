#include "formats/psd/psd_metadata.h"

#include "formats/common/exif.h"

namespace pictorand {

namespace {

std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

}  // namespace

TSourceMetadata ReadPsdMetadata(std::span<const std::uint8_t> file) {
    constexpr std::size_t HeaderSize = 26;
    TSourceMetadata metadata;
    if (file.size() < HeaderSize + 8) return metadata;
    const std::size_t modeLength = Be32(file, HeaderSize);
    if (modeLength > file.size() - HeaderSize - 8) return metadata;
    const std::size_t resourcesAt = HeaderSize + 4 + modeLength;
    const std::size_t resourcesLength = Be32(file, resourcesAt);
    if (resourcesLength > file.size() - resourcesAt - 4) return metadata;
    const auto resources = file.subspan(resourcesAt + 4, resourcesLength);
    std::size_t at = 0;
    while (at + 12 <= resources.size()) {
        const std::size_t start = at;
        const std::uint32_t id = resources[at + 4] << 8 | resources[at + 5];
        const std::size_t nameLength = resources[at + 6];
        at += 7 + nameLength + ((nameLength + 1) % 2);
        if (at + 4 > resources.size()) break;
        const std::size_t size = Be32(resources, at);
        at += 4;
        if (size > resources.size() - at) break;
        const auto data = resources.subspan(at, size);
        at += size + size % 2;
        switch (id) {
            case 1039: metadata.IccProfile.assign(data.begin(), data.end()); break;
            case 1058: metadata.Exif.assign(data.begin(), data.end()); break;
            case 1060: metadata.Xmp.assign(data.begin(), data.end()); break;
            case 1028: metadata.Iptc.assign(resources.begin() + static_cast<std::ptrdiff_t>(start), resources.begin() + static_cast<std::ptrdiff_t>(std::min(at, resources.size()))); break;
            default: break;
        }
    }
    metadata.Orientation = ExifOrientation(metadata.Exif);
    return metadata;
}

}  // namespace pictorand
