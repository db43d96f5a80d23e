#include "formats/png/png_metadata.h"

#include <cmath>

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

std::optional<TChromaticities> PngChromaticities(std::span<const std::uint8_t> chrm, std::span<const std::uint8_t> gama) {
    if (chrm.size() != 32 || gama.size() != 4) return std::nullopt;
    double values[8];
    for (std::size_t k = 0; k < 8; ++k) {
        values[k] = Be32(chrm, 4 * k) / 100000.0;
        if (values[k] > 1) return std::nullopt;
    }
    const double gamma = Be32(gama, 0) / 100000.0;
    if (values[1] <= 0 || values[3] <= 0 || values[5] <= 0 || values[7] <= 0 || gamma < 0.01 || gamma > 10) return std::nullopt;
    // sRGB's own primaries and white with its nominal 1/2.2 describe sRGB (as ImageMagick
    // and others write them for sRGB pictures): the pixels are sRGB already, as viewers
    // show them.
    constexpr double Srgb[8] = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};
    bool srgb = std::abs(gamma - 0.45455) < 0.0005;
    for (std::size_t k = 0; k < 8 && srgb; ++k) srgb = std::abs(values[k] - Srgb[k]) < 0.0011;
    if (srgb) return std::nullopt;
    return TChromaticities{{values[0], values[1]}, {values[2], values[3]}, {values[4], values[5]}, {values[6], values[7]}, gamma};
}

TSourceMetadata ReadPngMetadata(std::span<const std::uint8_t> file) {
    TSourceMetadata metadata;
    std::span<const std::uint8_t> chrm, gama;
    bool srgb = false;
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
        } else if (name == "cHRM") {
            chrm = data;
        } else if (name == "gAMA") {
            gama = data;
        } else if (name == "sRGB") {
            srgb = true;
        } else if (name == "IEND") {
            break;
        }
        at += length + 12;
    }
    if (metadata.IccProfile.empty() && !srgb) metadata.Chromaticities = PngChromaticities(chrm, gama);
    metadata.Orientation = ExifOrientation(metadata.Exif);
    return metadata;
}

}  // namespace pictorand
