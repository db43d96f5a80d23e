// Pixel formats of a TBitmap and the row arithmetic that goes with them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pictorand {

enum class TPixelFormat : std::uint8_t {
    pfDevice,  // the display's format; held as 32 bits per pixel here
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,  // 5-5-5, blue in the low bits
    pf16bit,  // 5-6-5, blue in the low bits
    pf24bit,  // blue, green, red
    pf32bit,  // blue, green, red, fourth byte
    pfCustom,  // a layout no other format describes; held as 32 bits per pixel
};

// Bits per pixel of the display, which the device-dependent format stands for.
inline constexpr int ScreenBitsPerPixel = 32;

constexpr int BitsPerPixel(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::pf1bit: return 1;
        case TPixelFormat::pf4bit: return 4;
        case TPixelFormat::pf8bit: return 8;
        case TPixelFormat::pf15bit:
        case TPixelFormat::pf16bit: return 16;
        case TPixelFormat::pf24bit: return 24;
        default: return 32;
    }
}

constexpr bool IsIndexed(TPixelFormat format) {
    return format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit || format == TPixelFormat::pf8bit;
}

// Bytes of one row padded to a multiple of 4, as in device-independent bitmaps.
constexpr std::size_t BytesPerRow(std::size_t width, int bitsPerPixel) {
    return (width * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
}

}  // namespace pictorand
