#include "formats/png/png_metadata.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <zlib.h>

#include "formats/common/exif.h"

namespace pictorand {

namespace {

// A profile is small; a larger one is damage or an attack.
constexpr std::size_t MaxProfileBytes = 16u << 20;

std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

std::vector<std::uint8_t> Inflate(std::span<const std::uint8_t> packed) {
    std::vector<std::uint8_t> out;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return out;
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = static_cast<uInt>(packed.size());
    std::uint8_t buffer[16384];
    int result = Z_OK;
    while (result == Z_OK && out.size() <= MaxProfileBytes) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
        if (result == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    inflateEnd(&z);
    if (result != Z_STREAM_END || out.size() > MaxProfileBytes) out.clear();
    return out;
}

}  // namespace

TSourceMetadata ReadPngMetadata(std::span<const std::uint8_t> file) {
    TSourceMetadata metadata;
    if (file.size() < 8 || file[0] != 0x89 || file[1] != 'P') return metadata;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::size_t length = Be32(file, at);
        if (length > file.size() - at - 12) break;
        const std::string_view name(reinterpret_cast<const char*>(file.data() + at + 4), 4);
        const auto data = file.subspan(at + 8, length);
        if (name == "eXIf" && metadata.Exif.empty()) {
            metadata.Exif.assign(data.begin(), data.end());
        } else if (name == "iCCP" && metadata.IccProfile.empty()) {
            // A name of 1 to 79 bytes, its terminating zero, the method (0), the profile.
            const auto end = std::find(data.begin(), data.begin() + std::min<std::size_t>(data.size(), 80), 0);
            const std::size_t profileAt = static_cast<std::size_t>(end - data.begin()) + 2;
            if (end != data.end() && profileAt <= data.size() && data[profileAt - 1] == 0) metadata.IccProfile = Inflate(data.subspan(profileAt));
        } else if (name == "iTXt" && metadata.Xmp.empty()) {
            constexpr std::string_view Keyword{"XML:com.adobe.xmp\0", 18};
            // Keyword, compression flag and method, language and translated keyword.
            if (data.size() > Keyword.size() + 2 && std::memcmp(data.data(), Keyword.data(), Keyword.size()) == 0 && data[Keyword.size()] == 0) {
                std::size_t text = Keyword.size() + 2;
                for (int zeros = 0; zeros < 2 && text < data.size(); ++text) {
                    if (data[text] == 0) ++zeros;
                }
                if (text <= data.size()) metadata.Xmp.assign(data.begin() + static_cast<std::ptrdiff_t>(text), data.end());
            }
        } else if (name == "IEND") {
            break;
        }
        at += length + 12;
    }
    metadata.Orientation = ExifOrientation(metadata.Exif);
    return metadata;
}

}  // namespace pictorand
