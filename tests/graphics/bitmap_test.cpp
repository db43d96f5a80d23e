#include "graphics/bitmap.h"
#include "graphics/exceptions.h"
#include "graphics/raster_limits.h"
#include "graphics/exceptions.h"

#include <gtest/gtest.h>

namespace pictorand {
namespace {

TBitmap Make(TPixelFormat format, int width, int height, TPalette palette = {}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    if (!palette.empty()) bitmap.SetPalette(palette);
    bitmap.SetSize(width, height);
    return bitmap;
}

TEST(BitmapLayout, RowsArePaddedAndStoredBottomUp) {
    struct Case { TPixelFormat format; int width; std::size_t stride; };
    const Case cases[] = {
        {TPixelFormat::pf1bit, 33, 8}, {TPixelFormat::pf4bit, 9, 8},   {TPixelFormat::pf8bit, 5, 8},
        {TPixelFormat::pf15bit, 3, 8}, {TPixelFormat::pf16bit, 2, 4},  {TPixelFormat::pf24bit, 5, 16},
        {TPixelFormat::pf32bit, 3, 12}, {TPixelFormat::pfDevice, 1, 4},
    };
    for (const Case& c : cases) {
        TBitmap bitmap = Make(c.format, c.width, 3);
        EXPECT_EQ(bitmap.RowStride(), c.stride) << static_cast<int>(c.format);
        EXPECT_EQ(bitmap.ScanLine(2), bitmap.Bits().data());
        EXPECT_EQ(bitmap.ScanLine(0), bitmap.Bits().data() + 2 * c.stride);
    }
}

TEST(BitmapPixels, EveryFormatStoresAndReadsColours) {
    const TColor red = RGBColor(255, 0, 0), blue = RGBColor(0, 0, 255), white = clWhite;
    for (TPixelFormat format : {TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        TBitmap bitmap = Make(format, 7, 2);
        bitmap.SetPixel(0, 0, red);
        bitmap.SetPixel(6, 1, blue);
        bitmap.SetPixel(3, 1, white);
        EXPECT_EQ(bitmap.GetPixel(0, 0), red);
        EXPECT_EQ(bitmap.GetPixel(6, 1), blue);
        EXPECT_EQ(bitmap.GetPixel(3, 1), white);
        EXPECT_EQ(bitmap.GetPixel(7, 0), clBlack) << "outside reads black";
    }
    TBitmap mono = Make(TPixelFormat::pf1bit, 9, 1);
    mono.SetPixel(8, 0, clWhite);
    EXPECT_EQ(mono.ScanLine(0)[1], 0x80);
}

TEST(BitmapPixels, HighColourChannelsExpandToFullRange) {
    TBitmap b15 = Make(TPixelFormat::pf15bit, 1, 1);
    b15.ScanLine(0)[0] = 0xFF;
    b15.ScanLine(0)[1] = 0x7F;  // 0x7FFF: all five-bit channels full
    EXPECT_EQ(b15.GetPixel(0, 0), clWhite);
    TBitmap b16 = Make(TPixelFormat::pf16bit, 1, 1);
    b16.ScanLine(0)[0] = 0xE0;
    b16.ScanLine(0)[1] = 0x07;  // 0x07E0: green only
    EXPECT_EQ(b16.GetPixel(0, 0), RGBColor(0, 255, 0));
}

TEST(BitmapPixelFormat, ConversionsKeepTheColours) {
    const TPalette palette = {TRGBQuad::From(RGBColor(10, 20, 30)), TRGBQuad::From(RGBColor(200, 100, 50))};
    for (TPixelFormat from : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit}) {
        TBitmap bitmap = Make(from, 5, 2, palette);
        bitmap.SetPixel(4, 1, RGBColor(200, 100, 50));
        TBitmap eight = bitmap;
        eight.SetPixelFormat(TPixelFormat::pf8bit);
        EXPECT_EQ(eight.Palette(), palette) << "1 and 4 bits to 8 keep the palette";
        EXPECT_EQ(eight.ScanLine(1)[4], 1);
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        EXPECT_EQ(bitmap.GetPixel(4, 1), RGBColor(200, 100, 50));
        EXPECT_EQ(bitmap.GetPixel(0, 0), RGBColor(10, 20, 30));
    }

    TBitmap b32 = Make(TPixelFormat::pf32bit, 2, 1);
    std::uint8_t* row = b32.ScanLine(0);
    for (int i = 0; i < 8; ++i) row[i] = static_cast<std::uint8_t>(i + 1);
    b32.SetPixelFormat(TPixelFormat::pf24bit);
    const std::uint8_t expected[] = {1, 2, 3, 5, 6, 7};
    EXPECT_TRUE(std::equal(expected, expected + 6, b32.ScanLine(0))) << "32 to 24 drops the fourth byte";

    TBitmap b16 = Make(TPixelFormat::pf16bit, 1, 1);
    b16.SetPixel(0, 0, RGBColor(255, 255, 0));
    b16.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(b16.GetPixel(0, 0), RGBColor(255, 255, 0));

    TBitmap b24 = Make(TPixelFormat::pf24bit, 1, 1);
    b24.SetPixel(0, 0, RGBColor(250, 5, 5));
    b24.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(b24.Palette().size(), 256u);
    EXPECT_EQ(b24.GetPixel(0, 0), RGBColor(255, 0, 0)) << "nearest entry of the default palette";
}

TEST(BitmapSize, ResizingKeepsTheTopLeftArea) {
    TBitmap bitmap = Make(TPixelFormat::pf24bit, 3, 3);
    bitmap.SetPixel(1, 1, clWhite);
    bitmap.SetSize(5, 2);
    EXPECT_EQ(bitmap.GetPixel(1, 1), clWhite);
    EXPECT_EQ(bitmap.GetPixel(4, 1), clBlack);
    bitmap.SetHeight(0);
    EXPECT_TRUE(bitmap.Empty());
}

// The pixel cap, and nothing hidden behind it, decides how large a raster may be: 900 MP
// of 24-bit pixels (2.7 GB, which stays unused address space here) are refused at the
// default cap and made under a larger one.
TEST(BitmapSize, ThePixelCapAloneGovernsTheLargestRaster) {
    TBitmap large;
    large.SetPixelFormat(TPixelFormat::pf24bit);
    try {
        large.SetSize(30000, 30000);
        ADD_FAILURE() << "above the default cap";
    } catch (const EOutOfMemory& error) {
        EXPECT_STREQ(error.what(), "Image is too large: 30000 × 30000 is 900 MP, above the limit of 400 MP");
    }
    {
        const TRasterCap cap(1'000'000'000);
        large.SetSize(30000, 30000);
        EXPECT_EQ(large.Width(), 30000);
        EXPECT_EQ(RasterCap(), 1'000'000'000);
    }
    EXPECT_EQ(RasterCap(), DefaultMaxRasterPixels) << "the cap of a scope ends with it";
}

TEST(BitmapCanvas, DrawClipsAndLeavesOutTheTransparentColour) {
    TBitmap canvas = Make(TPixelFormat::pf24bit, 4, 4);
    canvas.Fill(RGBColor(1, 2, 3));
    TBitmap logo = Make(TPixelFormat::pf24bit, 3, 3);
    logo.Fill(clWhite);
    logo.SetPixel(2, 0, RGBColor(255, 0, 0));
    logo.SetPixel(1, 1, RGBColor(0, 0, 255));
    logo.SetTransparent(true);  // automatic key: bottom-left pixel, white
    canvas.Draw(-1, -1, logo);
    EXPECT_EQ(canvas.GetPixel(0, 0), RGBColor(0, 0, 255));
    EXPECT_EQ(canvas.GetPixel(1, 0), RGBColor(1, 2, 3)) << "white logo pixels leave the canvas";
    EXPECT_EQ(canvas.GetPixel(1, 1), RGBColor(1, 2, 3));

    logo.SetTransparent(false);
    canvas.Draw(2, 2, logo);
    EXPECT_EQ(canvas.GetPixel(3, 3), RGBColor(0, 0, 255));
    EXPECT_EQ(canvas.GetPixel(2, 2), clWhite);
}

TEST(BitmapCanvas, AutomaticTransparentColour) {
    TBitmap bitmap = Make(TPixelFormat::pf24bit, 2, 2);
    bitmap.SetPixel(0, 1, RGBColor(9, 8, 7));
    EXPECT_EQ(bitmap.TransparentColor(), RGBColor(9, 8, 7));
    TBitmap mono = Make(TPixelFormat::pf1bit, 2, 2);
    EXPECT_EQ(mono.TransparentColor(), clWhite);
    bitmap.SetTransparentColor(RGBColor(1, 1, 1));
    EXPECT_EQ(bitmap.TransparentColor(), RGBColor(1, 1, 1));
}

TEST(BitmapCanvas, DrawOntoIndexedAndAcrossFormats) {
    TBitmap canvas = Make(TPixelFormat::pf8bit, 3, 1, {TRGBQuad::From(clBlack), TRGBQuad::From(clWhite)});
    TBitmap source = Make(TPixelFormat::pf24bit, 1, 1);
    source.SetPixel(0, 0, RGBColor(240, 240, 240));
    canvas.Draw(1, 0, source);
    EXPECT_EQ(canvas.ScanLine(0)[1], 1);
    EXPECT_EQ(canvas.ScanLine(0)[0], 0);
}

TEST(BitmapAssign, CopiesPixelsPaletteAndTransparency) {
    TBitmap source = Make(TPixelFormat::pf8bit, 2, 2, {TRGBQuad::From(clWhite)});
    source.SetTransparent(true);
    TBitmap copy;
    copy.Assign(source);
    EXPECT_EQ(copy.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(copy.Palette(), source.Palette());
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.Width(), 2);
}

TEST(BitmapAssign, ReleaseHandsOverThePixelsWithoutACopy) {
    TBitmap source = Make(TPixelFormat::pf8bit, 3, 2, {TRGBQuad::From(clWhite)});
    source.SetTransparent(true);
    const std::uint8_t* pixels = source.ScanLine(0);
    TBitmap dest;
    source.ReleaseTo(dest);
    EXPECT_EQ(dest.ScanLine(0), pixels);
    EXPECT_EQ(dest.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(dest.Palette().size(), 1u);
    EXPECT_TRUE(dest.Transparent());
    EXPECT_TRUE(source.Empty()) << "the released bitmap holds nothing";
    EXPECT_EQ(source.Width(), 0);
}

TEST(BitmapSize, RefusesAbsurdSizes) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_THROW(bitmap.SetSize(200000, 200000), EOutOfMemory);
    EXPECT_THROW(bitmap.SetSize(-1, 2), EOutOfMemory);
    EXPECT_TRUE(bitmap.Empty());
}

}  // namespace
}  // namespace pictorand
