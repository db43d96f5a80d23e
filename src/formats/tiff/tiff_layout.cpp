#include "formats/tiff/tiff_layout.h"

#include <algorithm>

namespace pictorand {

std::uint8_t ReversedBits(std::uint8_t b) {
    b = static_cast<std::uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<std::uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<std::uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

void ReverseBitOrder(std::span<std::uint8_t> bytes) {
    for (std::uint8_t& b : bytes) b = ReversedBits(b);
}

void CopyBits(const std::uint8_t* from, std::uint8_t* to, std::size_t toBit, std::size_t bits) {
    if (toBit % 8 == 0) {
        const std::size_t whole = bits / 8;
        std::copy_n(from, whole, to + toBit / 8);
        from += whole;
        toBit += whole * 8;
        bits -= whole * 8;
        if (bits == 0) return;
        const auto kept = static_cast<std::uint8_t>(0xFF >> bits);
        to[toBit / 8] = static_cast<std::uint8_t>((to[toBit / 8] & kept) | (from[0] & ~kept));
        return;
    }
    for (std::size_t i = 0; i < bits; ++i) {
        const std::size_t at = toBit + i;
        const auto mask = static_cast<std::uint8_t>(0x80 >> (at & 7));
        if (from[i >> 3] >> (7 - (i & 7)) & 1) to[at >> 3] |= mask;
        else to[at >> 3] &= static_cast<std::uint8_t>(~mask);
    }
}

void InterleavePlane(const std::uint8_t* plane, std::uint8_t* row, std::size_t pixels, std::size_t planeIndex,
                     std::size_t samplesPerPixel, std::size_t sampleBytes) {
    for (std::size_t x = 0; x < pixels; ++x) {
        std::copy_n(plane + x * sampleBytes, sampleBytes, row + (x * samplesPerPixel + planeIndex) * sampleBytes);
    }
}

std::size_t YCbCrBlockBytes(std::size_t width, std::size_t rows, int h, int v) {
    const auto hs = static_cast<std::size_t>(h), vs = static_cast<std::size_t>(v);
    return (rows + vs - 1) / vs * ((width + hs - 1) / hs) * (hs * vs + 2);
}

void ExpandYCbCrBlocks(std::span<const std::uint8_t> blocks, std::uint8_t* rows, std::size_t width, std::size_t rowCount,
                       int h, int v) {
    const auto hs = static_cast<std::size_t>(h), vs = static_cast<std::size_t>(v);
    const std::size_t blockBytes = hs * vs + 2;
    const std::size_t across = (width + hs - 1) / hs;
    std::size_t at = 0;
    for (std::size_t top = 0; top < rowCount; top += vs) {
        for (std::size_t bx = 0; bx < across; ++bx, at += blockBytes) {
            if (at + blockBytes > blocks.size()) return;
            const std::uint8_t* block = blocks.data() + at;
            for (std::size_t dy = 0; dy < vs && top + dy < rowCount; ++dy) {
                for (std::size_t dx = 0; dx < hs && bx * hs + dx < width; ++dx) {
                    std::uint8_t* pixel = rows + ((top + dy) * width + bx * hs + dx) * 3;
                    pixel[0] = block[dy * hs + dx];
                    pixel[1] = block[hs * vs];
                    pixel[2] = block[hs * vs + 1];
                }
            }
        }
    }
}

void Unpremultiply(std::uint8_t* pixels, std::size_t count, std::size_t colours) {
    for (std::size_t i = 0; i < count; ++i, pixels += colours + 1) {
        const int alpha = pixels[colours];
        if (alpha == 0 || alpha == 255) continue;
        for (std::size_t k = 0; k < colours; ++k) {
            pixels[k] = static_cast<std::uint8_t>(std::min(255, (pixels[k] * 255 + alpha / 2) / alpha));
        }
    }
}

}  // namespace pictorand
