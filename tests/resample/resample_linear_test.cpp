// Scaling in linear light, and every resampler's rows shared among threads.
#include <gtest/gtest.h>

#include "graphics/exceptions.h"
#include "resample/filter_kernels.h"
#include "resample/resample_alpha.h"
#include "resample/resample_bitmap.h"
#include "resample/resample_linear.h"
#include "hidden_colour.h"
#include "test_images.h"

namespace pictorand {
namespace {

TEST(ResampleLinear, CodeValuesAndLightConvertBothWays) {
    EXPECT_EQ(SrgbToLinear(0), 0.0f);
    EXPECT_EQ(SrgbToLinear(255), 1.0f);
    EXPECT_NEAR(SrgbToLinear(188), 0.5, 0.003) << "half the light is code value 188";
    for (int v = 0; v < 256; ++v) EXPECT_EQ(LinearToSrgb(SrgbToLinear(static_cast<std::uint8_t>(v))), v) << v;
    EXPECT_EQ(LinearToSrgb(-0.5f), 0);
    EXPECT_EQ(LinearToSrgb(2.0f), 255);
}

TEST(ResampleLinear, HalvedCheckerboardIsTheGreyOfHalfTheLight) {
    for (const TSamplingGrid grid : {TSamplingGrid::Centres, TSamplingGrid::Corners}) {
        TBitmap source = testing::Checkerboard(64, 64);
        TBitmap linear, classic;
        linear.SetSize(32, 32);
        classic.SetSize(32, 32);
        ResampleBitmapLinear(source, linear, &TriangleKernel, 1.0f, grid);
        ResampleBitmap(source, classic, &TriangleKernel, 1.0f, grid);
        EXPECT_EQ(linear.PixelFormat(), TPixelFormat::pf24bit);
        EXPECT_FALSE(linear.HasAlpha());
        // Away from the edges, where the classic grid's weights do not average the board evenly.
        const TColor grey = linear.GetPixel(16, 16);
        EXPECT_NEAR(static_cast<int>(grey & 255), 188, 2);
        EXPECT_EQ(grey & 255, grey >> 8 & 255);
        EXPECT_NEAR(static_cast<int>(classic.GetPixel(16, 16) & 255), 128, 2) << "code values average to 128";
    }
    TBitmap empty, target;
    target.SetSize(2, 2);
    EXPECT_THROW(ResampleBitmapLinear(empty, target, &TriangleKernel, 1.0f), EInvalidGraphicOperation);
}

TEST(ResampleLinear, AlphaIsPremultipliedSoHiddenColourStaysHidden) {
    TBitmap target;
    target.SetSize(17, 9);
    ResampleBitmapLinear(testing::RedStripesOverHiddenGreen(), target, &Lanczos3Kernel, 3.0f, TSamplingGrid::Centres);
    testing::ExpectNoHiddenGreen(target);
}

TEST(ResampleThreads, RowsSharedAmongThreadsGiveTheSameBytes) {
    const TBitmap photo = testing::PhotoLike(301, 517);
    TBitmap withAlpha = photo;
    withAlpha.SetPixelFormat(TPixelFormat::pf32bit);
    withAlpha.SetHasAlpha(true);
    for (int y = 0; y < withAlpha.Height(); ++y)
        for (int x = 0; x < withAlpha.Width(); ++x) withAlpha.ScanLine(y)[4 * x + 3] = static_cast<std::uint8_t>(x * 7 + y);

    auto scale = [&](int threads, int way, int width, int height) {
        TBitmap source = way == 1 ? withAlpha : photo;
        TBitmap target;
        target.SetSize(width, height);
        if (way == 0) ResampleBitmap(source, target, &Lanczos3Kernel, 3.0f, TSamplingGrid::Corners, threads);
        if (way == 1) ResampleBitmapWithAlpha(source, target, &MitchellKernel, 2.0f, TSamplingGrid::Centres, threads);
        if (way == 2) ResampleBitmapLinear(source, target, &HermiteKernel, 1.0f, TSamplingGrid::Centres, threads);
        std::vector<std::uint8_t> bytes;
        for (int y = 0; y < target.Height(); ++y) {
            const std::uint8_t* row = target.ScanLine(y);
            bytes.insert(bytes.end(), row, row + target.Width() * (target.HasAlpha() ? 4 : 3));
        }
        return bytes;
    };
    for (int way = 0; way < 3; ++way) {
        // Down on one side and up on the other, so both passes share rows.
        const auto one = scale(1, way, 97, 700);
        for (const int threads : {2, 3, 8}) EXPECT_EQ(scale(threads, way, 97, 700), one) << "way " << way << ", " << threads << " threads";
    }
}

}  // namespace
}  // namespace pictorand
