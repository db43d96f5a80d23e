#include <gtest/gtest.h>

#include "resample/filter_kernels.h"
#include "resample/resample_alpha.h"
#include "hidden_colour.h"

namespace pictorand {
namespace {

// Colour stored under transparent pixels must not bleed into the visible ones.
TEST(ResampleAlpha, ColourUnderTransparentPixelsDoesNotBleed) {
    const TBitmap source = testing::RedStripesOverHiddenGreen();
    for (const FilterTableEntry& filter : FilterTable) {
        TBitmap target;
        target.SetSize(17, 9);
        ResampleBitmapWithAlpha(source, target, filter.Kernel, filter.Support);
        testing::ExpectNoHiddenGreen(target);
    }
}

// Opaque stays opaque under every filter, though the classic kernels' weights add up to a
// little less or more than one (Lanczos3 gave 253, box 231 on a checkerboard and 137 for
// half cover); half cover stays half, within the rounding of two passes.
TEST(ResampleAlpha, OpaquePicturesStayOpaque) {
    TBitmap source;
    source.SetPixelFormat(TPixelFormat::pf32bit);
    source.SetHasAlpha(true);
    source.SetSize(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint8_t* p = source.ScanLine(y) + 4 * x;
            p[0] = p[1] = p[2] = (x + y) % 2 ? 255 : 0;
            p[3] = x < 32 ? 255 : 128;
        }
    for (const FilterTableEntry& filter : FilterTable) {
        TBitmap target;
        target.SetSize(23, 17);
        ResampleBitmapWithAlpha(source, target, filter.Kernel, filter.Support);
        for (int y = 0; y < 17; ++y) {
            EXPECT_EQ(target.ScanLine(y)[3], 255) << filter.Name << " row " << y;
            EXPECT_NEAR(target.ScanLine(y)[4 * 22 + 3], 128, 2) << filter.Name << " row " << y;
        }
    }
}

}  // namespace
}  // namespace pictorand
