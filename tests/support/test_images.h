// Pictures made in code for the codec tests.
#pragma once

#include <cmath>

#include "graphics/bitmap.h"

namespace pictorand::testing {

// A 24-bit picture of one colour.
inline TBitmap Solid(int width, int height, TColor color) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    bitmap.Fill(color);
    return bitmap;
}

// A 24-bit board of single black and white pixels, black in the top-left corner.
inline TBitmap Checkerboard(int width, int height) {
    TBitmap board;
    board.SetPixelFormat(TPixelFormat::pf24bit);
    board.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) board.SetPixel(x, y, (x + y) % 2 ? clWhite : clBlack);
    return board;
}

// Smooth colour gradients with soft shapes, like a small photograph.
inline TBitmap PhotoLike(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            const double ring = 0.5 + 0.5 * std::sin(12 * std::hypot(u - 0.4, v - 0.6));
            row[3 * x] = static_cast<std::uint8_t>(40 + 180 * u * ring);
            row[3 * x + 1] = static_cast<std::uint8_t>(30 + 200 * v);
            row[3 * x + 2] = static_cast<std::uint8_t>(220 - 150 * u * v);
        }
    }
    return bitmap;
}

}  // namespace pictorand::testing
