// A picture whose transparent pixels hide a colour that must never show after scaling:
// opaque red stripes five pixels wide over fully transparent bright green.
#pragma once

#include <gtest/gtest.h>

#include "graphics/bitmap.h"

namespace pictorand::testing {

inline TBitmap RedStripesOverHiddenGreen() {
    TBitmap source;
    source.SetPixelFormat(TPixelFormat::pf32bit);
    source.SetSize(40, 20);
    source.SetHasAlpha(true);
    for (int y = 0; y < 20; ++y) {
        std::uint8_t* p = source.ScanLine(y);
        for (int x = 0; x < 40; ++x, p += 4) {
            const bool opaque = (x / 5) % 2 == 0;
            p[0] = 0, p[1] = opaque ? 0 : 255, p[2] = opaque ? 255 : 0, p[3] = opaque ? 255 : 0;
        }
    }
    return source;
}

// Every pixel of the scaled picture that is not all but transparent is red, with no green.
inline void ExpectNoHiddenGreen(const TBitmap& target) {
    ASSERT_TRUE(target.HasAlpha());
    ASSERT_EQ(target.PixelFormat(), TPixelFormat::pf32bit);
    int visible = 0;
    for (int y = 0; y < target.Height(); ++y) {
        const std::uint8_t* p = target.ScanLine(y);
        for (int x = 0; x < target.Width(); ++x, p += 4) {
            if (p[3] < 8) continue;
            ++visible;
            EXPECT_LE(p[1], 8) << "green at " << x << "," << y;
            EXPECT_GE(p[2], 200) << "red at " << x << "," << y;
        }
    }
    EXPECT_GT(visible, 20);
}

}  // namespace pictorand::testing
