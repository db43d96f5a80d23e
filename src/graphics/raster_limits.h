// The bounds every decoder checks sizes from a file against before allocating.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pictorand {

// The largest width or height a raster may have.
inline constexpr std::int64_t MaxRasterSide = 1 << 18;
// A bound on byte counts computed from a file's fields, beyond any raster the pixel cap
// allows; the cap, not this, decides how large a picture may be.
inline constexpr std::int64_t MaxRasterBytes = std::int64_t{1} << 40;

// The most pixels one raster may hold: 400 megapixels by default, room for the largest
// photographs; a run may set another (pictorand-cli --max-megapixels), up to the largest.
inline constexpr std::int64_t DefaultMaxRasterPixels = 400'000'000;
inline constexpr std::int64_t LargestRasterPixels = 2'000'000'000;

// Pixels in whole megapixels, rounded up: a picture just above a cap never reads as at it.
constexpr std::int64_t Megapixels(std::int64_t pixels) { return (pixels + 999'999) / 1'000'000; }

// The cap that holds for rasters made on this thread now.
std::int64_t RasterCap();
// Sets the cap for the rasters this thread makes while the object lives (one file's
// decoding and scaling, say), then restores the one before.
class TRasterCap {
public:
    explicit TRasterCap(std::int64_t pixels);
    ~TRasterCap();
    TRasterCap(const TRasterCap&) = delete;
    TRasterCap& operator=(const TRasterCap&) = delete;

private:
    std::int64_t previous_;
};

// a * b, or nothing when it overflows or exceeds limit.
constexpr std::optional<std::int64_t> CheckedProduct(std::int64_t a, std::int64_t b, std::int64_t limit) {
    if (a < 0 || b < 0) return std::nullopt;
    if (a != 0 && b > limit / a) return std::nullopt;
    return a * b;
}

// a + b for non-negative values, or nothing when the sum exceeds limit.
constexpr std::optional<std::int64_t> CheckedSum(std::int64_t a, std::int64_t b, std::int64_t limit) {
    if (a < 0 || b < 0 || a > limit - b) return std::nullopt;
    return a + b;
}

// The most picture bytes one byte of a file's data can become, by compression: a reader
// refuses a picture its remaining data could not fill even at that rate, before it
// allocates the raster.
namespace expansion {
inline constexpr std::int64_t Uncompressed = 1;
// PackBits, PCX, Targa, PSP and BMP run lengths: at most 128 bytes from a 2-byte packet.
inline constexpr std::int64_t RunLength = 128;
// Deflate's longest match is 258 bytes for about a quarter of a byte: about 1032 to 1.
inline constexpr std::int64_t Deflate = 1032;
// An LZW code yields at most a string as long as the table is, 4096 bytes.
inline constexpr std::int64_t Lzw = 4096;
// A JPEG block of 64 samples needs a few bits; 4096 to 1 is beyond any real file.
inline constexpr std::int64_t Jpeg = 4096;
}  // namespace expansion

// Small pictures load whatever their data, so that files cut short still load what
// they hold.
inline constexpr std::int64_t UnjustifiedBytesAllowed = 1 << 20;

// Whether dataBytes expanding at most `rate` times can fill neededBytes.
constexpr bool DataCanFill(std::int64_t neededBytes, std::int64_t dataBytes, std::int64_t rate) {
    if (neededBytes <= UnjustifiedBytesAllowed) return true;
    const auto most = CheckedProduct(dataBytes < 0 ? 0 : dataBytes, rate, INT64_MAX / 2);
    return !most || neededBytes <= *most + UnjustifiedBytesAllowed;
}

}  // namespace pictorand
