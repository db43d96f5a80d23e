// TImageProperties: what a reader learns from a file header, and the enumerations it uses.
#pragma once

#include <cstdint>
#include <vector>

namespace pictorand {

enum class TColorScheme : std::uint8_t {
    Unknown, Indexed, Gray, GrayAlpha, Rgb, Rgba, Bgr, Bgra, Cmy, Cmyk, CieLab, YCbCr, PhotoYcc,
};

enum class TCompressionKind : std::uint8_t {
    Unknown, None, Rle, PackBits, Lzw, Fax3, FaxMh, Fax4, FaxMhWord, Deflate, Jpeg, OldJpeg, ThunderScan, Next,
    It8CtPad, It8Lw, It8Mp, It8Bl, PixarFilm, PixarLog, Dcs, Jbig,
};

// ImageOptions bits.
namespace image_options {
inline constexpr std::uint32_t Tiled = 1 << 0;
inline constexpr std::uint32_t BigEndian = 1 << 1;
inline constexpr std::uint32_t MinIsWhite = 1 << 2;
inline constexpr std::uint32_t ReversedBits = 1 << 3;
inline constexpr std::uint32_t GammaApplied = 1 << 4;
}  // namespace image_options

struct TImageProperties {
    std::uint32_t Version = 0;
    std::uint32_t Options = 0;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    TColorScheme ColorScheme = TColorScheme::Unknown;
    std::uint8_t BitsPerSample = 0;
    std::uint8_t SamplesPerPixel = 0;
    std::uint8_t BitsPerPixel = 0;
    TCompressionKind Compression = TCompressionKind::Unknown;
    float FileGamma = 1.0f;
    float XResolution = 0;
    float YResolution = 0;
    bool Interlaced = false;
    bool HasAlpha = false;

    // Fields of single readers.
    std::uint8_t FilterMethod = 0;          // PNG
    std::uint32_t ChannelCount = 0;         // Photoshop: the full channel count
    std::uint32_t FirstIfd = 0;             // TIFF
    std::uint16_t PlanarConfig = 0;         // TIFF
    std::uint32_t RowsPerStrip = 0;         // TIFF
    std::uint32_t TileWidth = 0, TileLength = 0;
    std::uint32_t BytesPerLine = 0;
    std::uint8_t YCbCrSubsampling[2] = {0, 0};
    std::uint16_t Predictor = 0;
    std::vector<std::uint32_t> Offsets;     // TIFF strip offsets
    std::vector<std::uint8_t> JpegTables;
    std::vector<std::uint8_t> ExtraBytes;
};

}  // namespace pictorand
