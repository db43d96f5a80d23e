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

// Decodes a frame's data (as EncodeGifLzw writes it) a piece at a time: each Decode fills
// as much of its output as the data reaches and goes on where the last one stopped, so a
// frame is decoded row by row without holding its pixels whole.
class TGifLzwDecoder {
public:
    explicit TGifLzwDecoder(std::span<const std::uint8_t> data);
    // Fills output from the front; answers the pixels written, fewer than asked once the
    // data stops.
    std::size_t Decode(std::span<std::uint8_t> output);
    TGifDecodeResult Result() const { return {corrupted_, written_, ranOut_}; }

private:
    bool ReadCode(int size, int& code);
    bool NextString();

    std::span<const std::uint8_t> data_;
    std::size_t at_ = 1, blockLeft_ = 0, written_ = 0;
    std::uint32_t accumulator_ = 0;
    int bits_ = 0;
    int minimum_, clear_, end_, codeSize_, next_, previous_ = -1;
    std::uint8_t firstPixel_ = 0;
    bool corrupted_ = false, ranOut_ = false, stopped_ = false;
    std::vector<std::uint16_t> prefix_;
    std::vector<std::uint8_t> suffix_;
    // The pixels of the string being given out, last first.
    std::vector<std::uint8_t> stack_;
};

// Decodes a frame's data into at most output.size() pixels; pixels the data does not
// reach stay as they are.
TGifDecodeResult DecodeGifLzw(std::span<const std::uint8_t> data, std::span<std::uint8_t> output);

}  // namespace pictorand
