// Decoding with an independent decoder (Pillow) for interoperability checks, and the
// comparisons the tests make with it.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/bitmap.h"

namespace pictorand::testing {

inline bool PillowAvailable() {
    static const bool available = std::system("/usr/bin/python3 -c 'import PIL' > /dev/null 2>&1") == 0;
    return available;
}

// The picture as Pillow decodes it, as a 24-bit bitmap; nothing when Pillow fails.
inline std::optional<TBitmap> DecodeWithPillow(const std::filesystem::path& file, const std::filesystem::path& scratch) {
    const std::filesystem::path ppm = scratch / "pillow.ppm";
    const std::string script = std::string(PICTORAND_SOURCE_DIR) + "/tests/support/pillow_decode.py";
    const std::string command = "/usr/bin/python3 '" + script + "' '" + file.string() + "' '" + ppm.string() + "' 2> /dev/null";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255) return std::nullopt;
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    std::string row(static_cast<std::size_t>(width) * 3, '\0');
    for (int y = 0; y < height; ++y) {
        in.read(row.data(), static_cast<std::streamsize>(row.size()));
        std::uint8_t* out = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            out[3 * x] = static_cast<std::uint8_t>(row[3 * x + 2]);
            out[3 * x + 1] = static_cast<std::uint8_t>(row[3 * x + 1]);
            out[3 * x + 2] = static_cast<std::uint8_t>(row[3 * x]);
        }
    }
    return bitmap;
}

// The alpha of the picture as Pillow decodes it, row by row (255 where it has none);
// empty when Pillow fails.
inline std::vector<std::uint8_t> AlphaWithPillow(const std::filesystem::path& file, const std::filesystem::path& scratch) {
    const std::filesystem::path ppm = scratch / "pillow.ppm", pgm = scratch / "pillow-alpha.pgm";
    const std::string script = std::string(PICTORAND_SOURCE_DIR) + "/tests/support/pillow_decode.py";
    const std::string command = "/usr/bin/python3 '" + script + "' '" + file.string() + "' '" + ppm.string() + "' '" + pgm.string() + "' 2> /dev/null";
    if (std::system(command.c_str()) != 0) return {};
    std::ifstream in(pgm, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    if (magic != "P5" || maximum != 255) return {};
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    in.read(reinterpret_cast<char*>(alpha.data()), static_cast<std::streamsize>(alpha.size()));
    return alpha;
}

// Peak signal-to-noise ratio in decibels over the three channels; infinity when equal.
// With an alpha (row by row), only the opaque pixels count.
inline double Psnr(const TBitmap& a, const TBitmap& b, const std::vector<std::uint8_t>& alpha = {}) {
    double squares = 0;
    std::size_t counted = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(a.Width()) + static_cast<std::size_t>(x);
            if (!alpha.empty() && (at >= alpha.size() || alpha[at] != 255)) continue;
            ++counted;
            const TColor p = a.GetPixel(x, y), q = b.GetPixel(x, y);
            for (int shift : {0, 8, 16}) {
                const double d = static_cast<double>(p >> shift & 255) - static_cast<double>(q >> shift & 255);
                squares += d * d;
            }
        }
    if (squares == 0) return INFINITY;
    const double mse = squares / (3.0 * static_cast<double>(counted));
    return 10 * std::log10(255.0 * 255.0 / mse);
}

inline bool SamePicture(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    return true;
}

}  // namespace pictorand::testing

#define PICTORAND_REQUIRE_PILLOW() \
    if (!::pictorand::testing::PillowAvailable()) GTEST_SKIP() << "Pillow (python3-pil) is not installed"
