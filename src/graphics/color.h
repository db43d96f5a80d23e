// Colour values: TColor packs red, green and blue as 0x00BBGGRR; TRGBQuad is one palette
// entry in the blue, green, red, reserved order of device-independent bitmaps.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pictorand {

using TColor = std::uint32_t;

constexpr TColor RGBColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<TColor>(red) | static_cast<TColor>(green) << 8 | static_cast<TColor>(blue) << 16;
}
constexpr std::uint8_t RedOf(TColor color) { return static_cast<std::uint8_t>(color); }
constexpr std::uint8_t GreenOf(TColor color) { return static_cast<std::uint8_t>(color >> 8); }
constexpr std::uint8_t BlueOf(TColor color) { return static_cast<std::uint8_t>(color >> 16); }

inline constexpr TColor clBlack = RGBColor(0, 0, 0);
inline constexpr TColor clWhite = RGBColor(255, 255, 255);

struct TRGBQuad {
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;
    std::uint8_t Reserved = 0;

    constexpr TColor Color() const { return RGBColor(Red, Green, Blue); }
    static constexpr TRGBQuad From(TColor color) { return {BlueOf(color), GreenOf(color), RedOf(color), 0}; }
    friend constexpr bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

using TPalette = std::vector<TRGBQuad>;

// Index of the palette entry closest to the colour (squared distance; the first of equals).
std::uint8_t NearestPaletteIndex(std::span<const TRGBQuad> palette, TColor color);

// Black and white.
TPalette MonochromePalette();
// The sixteen colours of the standard VGA palette.
TPalette StandardPalette16();
// A 256-entry palette: a 6 x 6 x 6 colour cube followed by 40 grey levels.
TPalette DefaultPalette256();
// The default palette for an indexed raster of the given bit depth (1, 4 or 8).
TPalette DefaultPaletteFor(int bitsPerPixel);

}  // namespace pictorand
