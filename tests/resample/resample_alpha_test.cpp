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

}  // namespace
}  // namespace pictorand
