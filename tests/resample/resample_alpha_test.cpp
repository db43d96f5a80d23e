#include <gtest/gtest.h>

#include "resample/filter_kernels.h"
#include "resample/resample_alpha.h"

namespace pictorand {
namespace {

// Opaque red stripes over fully transparent pixels whose stored colour is bright green:
// the green must not bleed into what is visible.
TEST(ResampleAlpha, ColourUnderTransparentPixelsDoesNotBleed) {
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
    for (const FilterTableEntry& filter : FilterTable) {
        TBitmap target;
        target.SetSize(17, 9);
        ResampleBitmapWithAlpha(source, target, filter.Kernel, filter.Support);
        ASSERT_TRUE(target.HasAlpha());
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
}

}  // namespace
}  // namespace pictorand
