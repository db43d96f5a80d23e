#include "resample/resample_bitmap.h"
#include "resample/row_resampler.h"

#include <gtest/gtest.h>

#include <cstring>

#include <random>

#include "graphics/exceptions.h"
#include "reference_resampler.h"
#include "test_images.h"

namespace pictorand {
namespace {

TBitmap Row(std::initializer_list<std::uint8_t> greys) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(static_cast<int>(greys.size()), 1);
    int x = 0;
    for (std::uint8_t v : greys) bitmap.SetPixel(x++, 0, RGBColor(v, v, v));
    return bitmap;
}

std::vector<int> Greys(const TBitmap& bitmap) {
    std::vector<int> values;
    for (int x = 0; x < bitmap.Width(); ++x) values.push_back(RedOf(bitmap.GetPixel(x, 0)));
    return values;
}

std::vector<int> Resample(TBitmap source, int width, int row) {
    TBitmap dest;
    dest.SetSize(width, 1);
    ResampleBitmap(source, dest, FilterTable[static_cast<std::size_t>(row)].Kernel, FilterTable[static_cast<std::size_t>(row)].Support);
    EXPECT_EQ(dest.PixelFormat(), TPixelFormat::pf24bit);
    return Greys(dest);
}

TEST(ResampleBitmap, WorkedExamples) {
    // Box, 4 to 2: (p0 + 2 p1) / 3 and (p2 + 2 p3) / 3.
    EXPECT_EQ(Resample(Row({30, 60, 90, 120}), 2, 0), (std::vector<int>{50, 110}));
    // Triangle, 2 to 4: the ends reproduce, column 1 is 2/3 p0 + 1/3 p1.
    EXPECT_EQ(Resample(Row({0, 255}), 4, 1), (std::vector<int>{0, 85, 170, 255}));
}

TEST(ResampleBitmap, SameSizeReproducesOrBlursByTheKernel) {
    for (int row : {0, 1, 2}) EXPECT_EQ(Resample(Row({7, 200, 13, 99, 255}), 5, row), (std::vector<int>{7, 200, 13, 99, 255}));
    // Bell weighs 0.75 and 0.125; B-Spline 2/3 and 1/6; Mitchell 8/9 and 1/18. Index -1
    // reflects to 1 but index 3 to 2, so the right edge sees the middle only once.
    EXPECT_EQ(Resample(Row({0, 80, 0}), 3, 3), (std::vector<int>{20, 60, 10}));
    EXPECT_EQ(Resample(Row({0, 120, 0}), 3, 4), (std::vector<int>{40, 80, 20}));
    EXPECT_EQ(Resample(Row({0, 180, 0}), 3, 6), (std::vector<int>{20, 160, 10}));
}

TEST(ResampleBitmap, SumsAreClampedAndRoundedToEven) {
    // Triangle 2 to 3 puts the middle column half way: 254.5 gives 254, 253.5 gives 254.
    EXPECT_EQ(Resample(Row({254, 255}), 3, 1)[1], 254);
    EXPECT_EQ(Resample(Row({253, 254}), 3, 1)[1], 254);
    // Lanczos overshoots at a hard edge: clamped to 255 and 0, never wrapped.
    const std::vector<int> edge = Resample(Row({255, 255, 255, 0, 0, 0}), 23, 5);
    EXPECT_EQ(*std::max_element(edge.begin(), edge.end()), 255);
    EXPECT_EQ(*std::min_element(edge.begin(), edge.end()), 0);
    EXPECT_EQ(edge[0], 255);
}

TEST(ResampleBitmap, FailuresLeaveTheDestinationUntouched) {
    TBitmap empty;
    TBitmap dest;
    dest.SetSize(3, 3);
    EXPECT_THROW(ResampleBitmap(empty, dest, &BoxKernel, 0.5f), EInvalidGraphicOperation);

    TBitmap source = Row({1, 2, 3});
    TBitmap one;
    one.SetPixelFormat(TPixelFormat::pf8bit);
    one.SetSize(1, 1);
    EXPECT_THROW(ResampleBitmap(source, one, &BoxKernel, 0.5f), EZeroDivide);
    EXPECT_EQ(one.PixelFormat(), TPixelFormat::pf8bit);
    TBitmap zero;
    zero.SetSize(0, 1);
    EXPECT_THROW(ResampleBitmap(source, zero, &BoxKernel, 0.5f), EInvalidGraphicOperation);
}

// A source of another format is read a row at a time as its 24-bit conversion would give
// it (a 400-megapixel bilevel scan is never widened whole): the output is the one of the
// converted source, for every format, indexes beyond the palette included, and the source
// keeps its own format.
TEST(ResampleBitmap, SourcesOfOtherFormatsScaleAsTheir24BitConversion) {
    std::mt19937 random(7);
    for (const TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
                                      TPixelFormat::pf16bit, TPixelFormat::pf32bit}) {
        TBitmap source;
        source.SetPixelFormat(format);
        if (format == TPixelFormat::pf8bit) source.SetPalette({TRGBQuad::From(RGBColor(10, 20, 30)), TRGBQuad::From(RGBColor(200, 100, 50))});
        source.SetSize(37, 300);
        for (int y = 0; y < source.Height(); ++y) {
            std::uint8_t* row = source.ScanLine(y);
            for (std::size_t x = 0; x < source.RowStride(); ++x) row[x] = static_cast<std::uint8_t>(random());
        }
        TBitmap converted = source;
        converted.SetPixelFormat(TPixelFormat::pf24bit);
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x) ASSERT_EQ(converted.GetPixel(x, y), source.GetPixel(x, y)) << static_cast<int>(format);
        TBitmap fromRows, fromConverted;
        fromRows.SetSize(11, 90);
        fromConverted.SetSize(11, 90);
        ResampleBitmap(source, fromRows, &Lanczos3Kernel, 3.0f, TSamplingGrid::Corners, 2);
        ResampleBitmap(converted, fromConverted, &Lanczos3Kernel, 3.0f);
        EXPECT_EQ(source.PixelFormat(), format);
        for (int y = 0; y < 90; ++y)
            ASSERT_EQ(std::memcmp(fromRows.ScanLine(y), fromConverted.ScanLine(y), 33), 0) << "format " << static_cast<int>(format) << ", row " << y;
    }
}

TBitmap RandomImage(std::mt19937& random, int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < 3 * width; ++x) row[x] = static_cast<std::uint8_t>(byte(random) < 128 ? byte(random) : (y * 37 + x * 11) & 255);
    }
    return bitmap;
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (!std::equal(a.ScanLine(y), a.ScanLine(y) + 3 * a.Width(), b.ScanLine(y))) return false;
    return true;
}

// A picture given a band of rows at a time, as a decoder streams it, from the top or from
// the bottom, in 24 bits or in another format, on one thread or two, scales to the bytes of
// the whole picture at once; rows given twice, or missing at the end, are refused.
// Bands from the top keep a window of rows and make destination rows as they can; from
// the bottom, or out of turn after a start from the top, every row is kept. Each way the
// bytes are those of the whole picture at once, reduced or enlarged.
TEST(ResampleBitmap, ABandAtATimeIsTheWholePictureAtOnce) {
    std::mt19937 random(5);
    TBitmap wide = RandomImage(random, 53, 301);
    TBitmap grey = wide;
    grey.SetPixelFormat(TPixelFormat::pf8bit);
    const TResamplePasses passes = BestPasses();
    enum class TOrder { FromTop, FromBottom, TopThenBottom };
    for (TBitmap* source : {&wide, &grey})
        for (const auto [width, height] : {std::pair{17, 40}, std::pair{80, 500}}) {
            TBitmap whole;
            whole.SetSize(width, height);
            ResampleBitmap(*source, whole, &Lanczos3Kernel, 3.0f, passes, TSamplingGrid::Centres, 1);
            for (const int bandRows : {1, 7, 64, 301})
                for (const TOrder order : {TOrder::FromTop, TOrder::FromBottom, TOrder::TopThenBottom}) {
                    const int threads = bandRows % 2 + 1;
                    TRowResampler resampler(53, 301, width, height, &Lanczos3Kernel, 3.0f, passes, TSamplingGrid::Centres, threads);
                    // The first band from the top or the bottom, the rest from the bottom
                    // after the top half when out of turn.
                    std::vector<int> firsts;
                    for (int at = 0; at < 301; at += bandRows) firsts.push_back(at);
                    if (order == TOrder::FromBottom) std::reverse(firsts.begin(), firsts.end());
                    if (order == TOrder::TopThenBottom) std::reverse(firsts.begin() + static_cast<std::ptrdiff_t>(firsts.size() / 2), firsts.end());
                    for (const int first : firsts) {
                        const int count = std::min(bandRows, 301 - first);
                        TBitmap band = *source;
                        band.SetSize(53, bandRows);  // rows beyond count stay as they are: unused
                        for (int r = 0; r < count; ++r) std::memcpy(band.ScanLine(r), source->ScanLine(first + r), source->RowStride());
                        resampler.Take(band, first, count);
                    }
                    TBitmap banded;
                    resampler.Finish(banded);
                    const std::string what = "bands of " + std::to_string(bandRows) + ", order " + std::to_string(static_cast<int>(order)) +
                                             ", to " + std::to_string(width) + " x " + std::to_string(height);
                    EXPECT_TRUE(SamePixels(banded, whole)) << what;
                    const bool window = order == TOrder::FromTop && bandRows < 301 && firsts.size() > 1;
                    if (window) EXPECT_LT(resampler.HeldRowsAtMost(), 301 / 2) << what;
                    else EXPECT_EQ(resampler.HeldRowsAtMost(), 301) << what;
                }
        }
    TRowResampler resampler(53, 301, 17, 40, &Lanczos3Kernel, 3.0f, passes);
    EXPECT_THROW(resampler.Take(wide, 295, 10), EInvalidGraphicOperation) << "rows below the picture";
    resampler.Take(wide, 0, 10);
    EXPECT_THROW(resampler.Take(wide, 5, 10), EInvalidGraphicOperation) << "rows again";
    TBitmap early;
    EXPECT_THROW(resampler.Finish(early), EInvalidGraphicOperation) << "rows missing";
}

// The optimised passes, in every build this processor runs, against the step-by-step oracle.
TEST(ResampleBitmap, EveryBuildMatchesTheReferenceBitForBit) {
    std::vector<std::pair<const char*, TResamplePasses>> builds = {{"generic", GenericPasses()}};
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) builds.push_back({"avx2", Avx2Passes()});
    const int sizes[][4] = {
        {37, 29, 11, 7},  {100, 60, 33, 41}, {5, 4, 17, 13}, {13, 13, 13, 13}, {1, 1, 5, 3}, {2, 2, 7, 9},
        {1, 5, 1, 5},     {2, 3, 2, 3},      {64, 40, 3, 2}, {9, 17, 40, 35}, {3, 1, 19, 1}, {40, 33, 39, 34},
    };
    std::mt19937 random(20261207);
    for (const FilterTableEntry& filter : FilterTable) {
        for (const auto& s : sizes) {
            const TBitmap source = RandomImage(random, s[0], s[1]);
            const TBitmap expected = testing::ReferenceResample(source, s[2], s[3], filter.Kernel, filter.Support);
            for (const auto& [name, passes] : builds) {
                TBitmap input = source;
                TBitmap dest;
                dest.SetSize(s[2], s[3]);
                ResampleBitmap(input, dest, filter.Kernel, filter.Support, passes);
                EXPECT_TRUE(SamePixels(dest, expected))
                    << name << " " << filter.Name << " " << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
            }
        }
    }
}


// Output sample i of the centre grid sits at (i + 0.5) x source / destination - 0.5.
TEST(ResampleBitmap, CentreGridPlacesSamplesOnPixelCentresAndSumsToOne) {
    // Halving with the triangle kernel: sample i lies between source 2i and 2i + 1.
    const TWeightLists halving(8, 4, &TriangleKernel, 1.0f, TSamplingGrid::Centres);
    for (int i = 0; i < 4; ++i) {
        double position = 0, sum = 0;
        for (const WeightEntry* e = halving.Begin(i); e != halving.End(i); ++e) {
            position += e->Weight * e->SourceIndex;
            sum += e->Weight;
        }
        EXPECT_NEAR(sum, 1.0, 1e-6);
        // The borders reflect, so only the inner samples sit exactly between their pair.
        if (i > 0 && i < 3) {
            EXPECT_NEAR(position, 2 * i + 0.5, 1e-5) << "sample " << i;
        }
    }
    // One output sample from several is the average, not a division by zero.
    EXPECT_NO_THROW(TWeightLists(5, 1, &BoxKernel, 0.5f, TSamplingGrid::Centres));
    EXPECT_THROW(TWeightLists(5, 1, &BoxKernel, 0.5f), EZeroDivide);

    // A 1-pixel checkerboard halved with the box on centres averages each 2 x 2 block.
    TBitmap board = testing::Checkerboard(8, 8);
    TBitmap half;
    half.SetSize(4, 4);
    ResampleBitmap(board, half, &BoxKernel, 0.5f, TSamplingGrid::Centres);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_NEAR(static_cast<int>(half.GetPixel(x, y) & 255), 128, 1) << x << "," << y;
}

TEST(ResampleBitmap, WeightListsAreSharedOnlyForTheSameArguments) {
    const auto first = SharedWeightLists(400, 80, &Lanczos3Kernel, 3.0f);
    EXPECT_EQ(SharedWeightLists(400, 80, &Lanczos3Kernel, 3.0f), first) << "kept for the next picture of the size";
    for (const auto& other : {SharedWeightLists(401, 80, &Lanczos3Kernel, 3.0f), SharedWeightLists(400, 81, &Lanczos3Kernel, 3.0f),
                              SharedWeightLists(400, 80, &MitchellKernel, 3.0f), SharedWeightLists(400, 80, &Lanczos3Kernel, 2.0f),
                              SharedWeightLists(400, 80, &Lanczos3Kernel, 3.0f, TSamplingGrid::Centres)}) {
        EXPECT_NE(other, first);
    }
    // Whatever was kept, the lists are those of a fresh build.
    const TWeightLists fresh(400, 80, &Lanczos3Kernel, 3.0f);
    const auto again = SharedWeightLists(400, 80, &Lanczos3Kernel, 3.0f);
    ASSERT_EQ(again->Count(), fresh.Count());
    for (int i = 0; i < fresh.Count(); ++i) {
        ASSERT_EQ(again->End(i) - again->Begin(i), fresh.End(i) - fresh.Begin(i));
        for (auto a = again->Begin(i), b = fresh.Begin(i); b != fresh.End(i); ++a, ++b) {
            EXPECT_EQ(a->SourceIndex, b->SourceIndex);
            EXPECT_EQ(a->Weight, b->Weight);
        }
    }
    EXPECT_THROW(SharedWeightLists(5, 1, &BoxKernel, 0.5f), EZeroDivide);

    // Both passes' lists, built side by side or one after the other.
    for (const int threads : {1, 2}) {
        const auto [horizontal, vertical] = BothWeightLists(400, 300, 80, 60, &Lanczos3Kernel, 3.0f, TSamplingGrid::Corners, threads);
        EXPECT_EQ(horizontal, first);
        EXPECT_EQ(vertical, SharedWeightLists(300, 60, &Lanczos3Kernel, 3.0f));
        EXPECT_THROW(BothWeightLists(400, 5, 80, 1, &BoxKernel, 0.5f, TSamplingGrid::Corners, threads), EZeroDivide)
            << "a failure of the vertical lists";
        EXPECT_THROW(BothWeightLists(5, 300, 1, 60, &BoxKernel, 0.5f, TSamplingGrid::Corners, threads), EZeroDivide)
            << "a failure of the horizontal lists";
    }
}

}  // namespace
}  // namespace pictorand
