// The sample layouts of TIFF strips and tiles that are rearranged before colour
// conversion: bits stored least significant first, tiles and planes placed into rows,
// subsampled YCbCr blocks and premultiplied alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pictorand {

std::uint8_t ReversedBits(std::uint8_t byte);
void ReverseBitOrder(std::span<std::uint8_t> bytes);

// Copies bits bits from the start of from into to, starting at bit toBit (most
// significant bit first); the bits of to around them stay as they are.
void CopyBits(const std::uint8_t* from, std::uint8_t* to, std::size_t toBit, std::size_t bits);

// Copies one plane's samples (1 or 2 bytes each) into every samplesPerPixel-th sample of
// an interleaved row.
void InterleavePlane(const std::uint8_t* plane, std::uint8_t* row, std::size_t pixels, std::size_t planeIndex,
                     std::size_t samplesPerPixel, std::size_t sampleBytes);

// The bytes a chunk of rows x width pixels takes as 8-bit YCbCr blocks of h x v luma
// samples followed by one Cb and one Cr.
std::size_t YCbCrBlockBytes(std::size_t width, std::size_t rows, int h, int v);
// Spreads blocks into rows of Y, Cb, Cr triples, each chroma pair covering its block.
void ExpandYCbCrBlocks(std::span<const std::uint8_t> blocks, std::uint8_t* rows, std::size_t width, std::size_t rowCount,
                       int h, int v);

// Turns premultiplied pixels of colour samples followed by one 8-bit alpha into straight
// ones: colours = 3 for blue, green, red, alpha; 1 for grey, alpha.
void Unpremultiply(std::uint8_t* pixels, std::size_t count, std::size_t colours);

}  // namespace pictorand
