// Raw pixel reads and index writes inside one row of a padded raster.
#pragma once

#include <cstdint>

namespace pictorand {

// The raw value of pixel x (an index, or a packed colour in little-endian order).
inline std::uint32_t ReadRawPixel(const std::uint8_t* row, int x, int bits) {
    switch (bits) {
        case 1: return row[x >> 3] >> (7 - (x & 7)) & 1;
        case 4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        case 8: return row[x];
        case 16: return static_cast<std::uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
        case 24: return static_cast<std::uint32_t>(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
        default: {
            const std::uint8_t* p = row + 4 * x;
            return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
        }
    }
}

// Stores a palette index at pixel x of a 1-, 4- or 8-bit row (most significant bits first).
inline void WriteIndexPixel(std::uint8_t* row, int x, int bits, std::uint32_t index) {
    if (bits == 1) {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<std::uint8_t>((index & 1) ? row[x >> 3] | mask : row[x >> 3] & ~mask);
    } else if (bits == 4) {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (index & 0x0F))
                    : static_cast<std::uint8_t>((b & 0x0F) | (index & 0x0F) << 4);
    } else {
        row[x] = static_cast<std::uint8_t>(index);
    }
}

}  // namespace pictorand
