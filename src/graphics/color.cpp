#include "graphics/color.h"

#include <limits>

namespace pictorand {

std::uint8_t NearestPaletteIndex(std::span<const TRGBQuad> palette, TColor color) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        const int dr = palette[i].Red - RedOf(color);
        const int dg = palette[i].Green - GreenOf(color);
        const int db = palette[i].Blue - BlueOf(color);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0) break;
        }
    }
    return static_cast<std::uint8_t>(best);
}

TPalette MonochromePalette() { return {TRGBQuad::From(clBlack), TRGBQuad::From(clWhite)}; }

TPalette StandardPalette16() {
    constexpr TColor colors[16] = {
        RGBColor(0, 0, 0),       RGBColor(128, 0, 0),   RGBColor(0, 128, 0),   RGBColor(128, 128, 0),
        RGBColor(0, 0, 128),     RGBColor(128, 0, 128), RGBColor(0, 128, 128), RGBColor(192, 192, 192),
        RGBColor(128, 128, 128), RGBColor(255, 0, 0),   RGBColor(0, 255, 0),   RGBColor(255, 255, 0),
        RGBColor(0, 0, 255),     RGBColor(255, 0, 255), RGBColor(0, 255, 255), RGBColor(255, 255, 255),
    };
    TPalette palette;
    for (TColor c : colors) palette.push_back(TRGBQuad::From(c));
    return palette;
}

TPalette DefaultPalette256() {
    TPalette palette;
    palette.reserve(256);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back(TRGBQuad::From(RGBColor(r * 51, g * 51, b * 51)));
    // Grey levels that the cube does not already hold.
    for (int i = 0; palette.size() < 256; ++i) {
        const auto v = static_cast<std::uint8_t>((i + 1) * 255 / 41);
        palette.push_back(TRGBQuad::From(RGBColor(v, v, v)));
    }
    return palette;
}

TPalette DefaultPaletteFor(int bitsPerPixel) {
    if (bitsPerPixel == 1) return MonochromePalette();
    if (bitsPerPixel == 4) return StandardPalette16();
    return DefaultPalette256();
}

}  // namespace pictorand
