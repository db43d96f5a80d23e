// The reference encoders and decoders of today's formats (cwebp, dwebp, heif-enc,
// heif-convert, avifenc, avifdec, cjxl, djxl, dcraw_emu): finding them, running them on
// files, and reading what they decode, which they write as PNG or TIFF.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "formats/common/format_descriptor.h"
#include "formats/png/png_format.h"
#include "graphics/bitmap.h"
#include "graphics/file_stream.h"
#include "temp_dir.h"

namespace pictorand::testing {

inline bool ToolAvailable(const std::string& tool) {
    return std::system(("command -v '" + tool + "' > /dev/null 2>&1").c_str()) == 0;
}

inline std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// Runs a command line with its output silenced; true when it succeeded.
inline bool RunTool(const std::string& command) { return std::system((command + " > /dev/null 2>&1").c_str()) == 0; }

// A picture written to a file by one of our writers.
inline void EncodeFile(const TFormatDescriptor& format, const std::filesystem::path& path, const TBitmap& bitmap, const TWriteOptions& options = {}) {
    TFileStream file(path.string(), TFileMode::Create);
    format.Encode(file, bitmap, options);
}

// A picture written by our PNG writer, the reference tools' usual input; alpha is kept.
inline void WritePng(const std::filesystem::path& path, const TBitmap& bitmap) { EncodeFile(PngFormat, path, bitmap); }

// A file decoded by one of our readers, alpha kept.
inline TBitmap DecodeFile(const TFormatDescriptor& format, const std::filesystem::path& path, TDecodeRequest request = {}) {
    request.KeepAlpha = true;
    return format.Decode(ReadFileBytes(path), request).Raster;
}

// The largest difference of any byte of two pictures of one size and layout; 256 when
// their sizes or layouts differ.
inline int LargestDifference(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat()) return 256;
    const int bytes = a.Width() * (a.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3);
    int largest = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int i = 0; i < bytes; ++i) largest = std::max(largest, std::abs(a.ScanLine(y)[i] - b.ScanLine(y)[i]));
    return largest;
}

// A 32-bit picture with straight alpha: PhotoLike colours under an alpha ramp from clear
// at the left to opaque at the right.
inline TBitmap PhotoWithAlpha(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    bitmap.SetSize(width, height);
    bitmap.SetHasAlpha(true);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[4 * x] = static_cast<std::uint8_t>(200 - 150 * x / width);
            row[4 * x + 1] = static_cast<std::uint8_t>(30 + 200 * y / height);
            row[4 * x + 2] = static_cast<std::uint8_t>(40 + 180 * x / width);
            row[4 * x + 3] = static_cast<std::uint8_t>(255 * x / (width - 1));
        }
    }
    return bitmap;
}

}  // namespace pictorand::testing

#define PICTORAND_REQUIRE_TOOL(tool, package) \
    if (!::pictorand::testing::ToolAvailable(tool)) GTEST_SKIP() << tool " (" package ") is not installed"
