#include "formats/common/metadata_segments.h"

#include <algorithm>
#include <string_view>
#include <zlib.h>

namespace pictorand {

namespace {

constexpr std::size_t MaxSegmentData = 65533;  // a JPEG segment's length field counts itself

void Append(std::vector<std::uint8_t>& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

void Segment(std::vector<std::uint8_t>& out, std::uint8_t marker, std::string_view name, std::span<const std::uint8_t> first,
             std::span<const std::uint8_t> data) {
    const std::size_t length = 2 + name.size() + first.size() + data.size();
    if (length > MaxSegmentData + 2) return;
    out.insert(out.end(), {0xFF, marker, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
    Append(out, name);
    out.insert(out.end(), first.begin(), first.end());
    out.insert(out.end(), data.begin(), data.end());
}

void Chunk(std::vector<std::uint8_t>& out, std::string_view name, std::span<const std::uint8_t> data) {
    const auto size = static_cast<std::uint32_t>(data.size());
    out.insert(out.end(), {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 8),
                           static_cast<std::uint8_t>(size)});
    const std::size_t crcFrom = out.size();
    Append(out, name);
    out.insert(out.end(), data.begin(), data.end());
    const auto crc = static_cast<std::uint32_t>(crc32(0, out.data() + crcFrom, static_cast<uInt>(out.size() - crcFrom)));
    out.insert(out.end(), {static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16), static_cast<std::uint8_t>(crc >> 8),
                           static_cast<std::uint8_t>(crc)});
}

}  // namespace

bool IsRgbProfile(std::span<const std::uint8_t> profile) {
    return profile.size() >= 128 && std::string_view(reinterpret_cast<const char*>(profile.data() + 16), 4) == "RGB ";
}

std::vector<std::uint8_t> JpegWithMetadata(std::span<const std::uint8_t> jpeg, const TSourceMetadata& metadata) {
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return {jpeg.begin(), jpeg.end()};
    std::size_t insertAt = 2;
    if (jpeg[2] == 0xFF && jpeg[3] == 0xE0 && jpeg.size() >= 6) insertAt = std::min(jpeg.size(), 4 + static_cast<std::size_t>(jpeg[4] << 8 | jpeg[5]));
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(insertAt));
    if (!metadata.Exif.empty()) Segment(out, 0xE1, std::string_view("Exif\0\0", 6), {}, metadata.Exif);
    if (!metadata.Xmp.empty()) Segment(out, 0xE1, std::string_view("http://ns.adobe.com/xap/1.0/\0", 29), {}, metadata.Xmp);
    if (!metadata.IccProfile.empty()) {
        // Each part: the name, its sequence number from 1 and the number of parts.
        constexpr std::size_t PartSize = MaxSegmentData - 14;
        const std::size_t parts = (metadata.IccProfile.size() + PartSize - 1) / PartSize;
        if (parts <= 255) {
            for (std::size_t i = 0; i < parts; ++i) {
                const std::uint8_t numbers[2] = {static_cast<std::uint8_t>(i + 1), static_cast<std::uint8_t>(parts)};
                const auto part = std::span(metadata.IccProfile).subspan(i * PartSize, std::min(PartSize, metadata.IccProfile.size() - i * PartSize));
                Segment(out, 0xE2, std::string_view("ICC_PROFILE\0", 12), numbers, part);
            }
        }
    }
    if (!metadata.Iptc.empty()) Segment(out, 0xED, std::string_view("Photoshop 3.0\0", 14), {}, metadata.Iptc);
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(insertAt), jpeg.end());
    return out;
}

std::vector<std::uint8_t> PngWithMetadata(std::span<const std::uint8_t> png, const TSourceMetadata& metadata) {
    constexpr std::size_t AfterHeader = 8 + 12 + 13;  // the signature and the IHDR chunk
    if (png.size() < AfterHeader) return {png.begin(), png.end()};
    std::vector<std::uint8_t> out(png.begin(), png.begin() + AfterHeader);
    if (!metadata.IccProfile.empty()) {
        uLongf packedSize = compressBound(static_cast<uLong>(metadata.IccProfile.size()));
        std::vector<std::uint8_t> data = {'I', 'C', 'C', ' ', 'p', 'r', 'o', 'f', 'i', 'l', 'e', 0, 0};
        const std::size_t header = data.size();
        data.resize(header + packedSize);
        if (compress2(data.data() + header, &packedSize, metadata.IccProfile.data(), static_cast<uLong>(metadata.IccProfile.size()), 9) == Z_OK) {
            data.resize(header + packedSize);
            Chunk(out, "iCCP", data);
        }
    }
    if (!metadata.Exif.empty()) Chunk(out, "eXIf", metadata.Exif);
    out.insert(out.end(), png.begin() + AfterHeader, png.end());
    return out;
}

}  // namespace pictorand
