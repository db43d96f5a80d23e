// The LZW coder of GIF image data: the encoder with its code-4094 restart, and a
// lenient decoder that never reads past the data it is given.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pictorand {

// Encodes pixels (one value per byte) into the frame's data: the minimum code size
// byte, sub-blocks of at most 255 bytes and the zero-length terminator.
std::vector<std::uint8_t> EncodeGifLzw(std::span<const std::uint8_t> pixels, int minimumCodeSize);

struct TGifDecodeResult {
    bool Corrupted = false;  // bad code size, broken chain or data ending early
    std::size_t Written = 0;  // pixels the data reached
    bool RanOut = false;      // the data ended before the end code
};

// Decodes a frame's data (as EncodeGifLzw writes it) into at most output.size() pixels;
// pixels the data does not reach stay as they are.
TGifDecodeResult DecodeGifLzw(std::span<const std::uint8_t> data, std::span<std::uint8_t> output);

}  // namespace pictorand
