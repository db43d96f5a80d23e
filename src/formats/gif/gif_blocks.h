// What the GIF parser, frame decoder and writer share: the block codes, the messages
// and the byte reader of the format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/byte_reader.h"
#include "graphics/exceptions.h"

namespace pictorand::gif {

inline constexpr std::string_view UnknownVersion = "Unknown GIF version";
inline constexpr std::string_view EncodingError = "GIF image encoding error";
inline constexpr std::string_view WrongColorCount = "Wrong number of colors; must be a power of 2";
inline constexpr std::string_view NoData = "No GIF Data to write";
inline constexpr std::string_view CannotResize = "Cannot change the Size of a GIF image";
inline constexpr std::string_view TooLargeForData = "GIF image is too large for its data";
inline constexpr std::size_t MaxGifBytes = std::size_t{1} << 30;
// The most pixels one byte of LZW data can yield, which bounds a frame's raster.
inline constexpr std::int64_t MaxPixelsPerDataByte = 4096;
inline constexpr std::uint8_t FillerGrey = 128;

inline constexpr std::uint8_t ExtensionIntroducer = 0x21, ImageSeparator = 0x2C, Trailer = 0x3B;
inline constexpr std::uint8_t LabelGraphicControl = 0xF9, LabelComment = 0xFE, LabelPlainText = 0x01, LabelApplication = 0xFF;

using TGifReader = TByteReader<EReadError>;

[[noreturn]] inline void Fail(std::string_view message) { throw EInvalidGraphicOperation(std::string(message)); }

inline int Log2(int count) {
    for (int n = 1; n <= 8; ++n)
        if ((1 << n) == count) return n;
    Fail(WrongColorCount);
}

}  // namespace pictorand::gif
