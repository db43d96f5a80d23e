// The bounds every decoder checks sizes from a file against before allocating.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pictorand {

// The largest width or height a raster may have.
inline constexpr std::int64_t MaxRasterSide = 1 << 18;
// The largest number of bytes one raster may occupy.
inline constexpr std::int64_t MaxRasterBytes = std::int64_t{1} << 31;

// The most pixels one raster may hold: 400 megapixels by default, room for the largest
// photographs; pictorand-cli --max-megapixels changes it.
inline constexpr std::int64_t DefaultMaxRasterPixels = 400'000'000;
std::int64_t MaxRasterPixels();
void SetMaxRasterPixels(std::int64_t pixels);

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

}  // namespace pictorand
