// Camera raw through LibRaw, on DNG files made in the test: the colours of the scene, the
// raw's own flip, half-size decoding for small targets, and what dcraw_emu makes of them.
#include "formats/raw/raw_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dng_builder.h"
#include "formats/format_table.h"
#include "formats/tiff/tiff_format.h"
#include "graphics/exceptions.h"
#include "independent_decoder.h"
#include "reference_tools.h"
#include "test_images.h"

namespace pictorand {
namespace {

using testing::DecodeFile;
using testing::Quoted;
using testing::RunTool;

// Flat patches of colour, so that demosaicing leaves their middles as they were.
TBitmap Patches(int width, int height) {
    const TColor colours[] = {RGBColor(200, 60, 40), RGBColor(60, 160, 70), RGBColor(50, 80, 190), RGBColor(128, 128, 128)};
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, colours[(x * 2 / width) + 2 * (y * 2 / height)]);
    return bitmap;
}

int Channel(TColor c, int shift) { return static_cast<int>(c >> shift & 255); }

double Linear(int v) {
    const double u = v / 255.0;
    return u <= 0.04045 ? u / 12.92 : std::pow((u + 0.055) / 1.055, 2.4);
}

int Encoded(double linear) {
    const double u = linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<int>(std::lround(std::clamp(u, 0.0, 1.0) * 255));
}

// The decode brightens the picture as a whole (LibRaw's automatic exposure); the scene's
// colours are right when each patch is the scene's light times the gain of the last
// place, the grey patch.
void ExpectTheScenesColours(const TBitmap& read, const TBitmap& scene, std::initializer_list<std::pair<std::pair<int, int>, std::pair<int, int>>> places) {
    const auto& [greyRead, greyScene] = *std::prev(places.end());
    const double gain = Linear(Channel(read.GetPixel(greyRead.first, greyRead.second), 8)) /
                        Linear(Channel(scene.GetPixel(greyScene.first, greyScene.second), 8));
    EXPECT_GT(gain, 0.9);
    for (const auto& [at, from] : places)
        for (const int shift : {0, 8, 16})
            EXPECT_NEAR(Channel(read.GetPixel(at.first, at.second), shift), Encoded(Linear(Channel(scene.GetPixel(from.first, from.second), shift)) * gain), 6)
                << at.first << "," << at.second << " channel " << shift / 8;
}

// The scene's colours come out in sRGB, and the picture is the one dcraw_emu makes with
// the camera's white balance.
TEST(RawFormat, DngComesOutInTheScenesColoursAsDcrawEmuMakesIt) {
    testing::TTempDir dir;
    const TBitmap scene = Patches(64, 48);
    testing::WriteFileBytes(dir.File("a.dng"), testing::TDngBuilder::Build(scene));
    const auto bytes = testing::ReadFileBytes(dir.File("a.dng"));
    EXPECT_EQ(IdentifyByContent(std::span(bytes).first(SignatureBytes)), &TiffFormat) << "a DNG is a TIFF structure";
    EXPECT_EQ(FindReadableFormat(".DNG"), &RawFormat) << "so it is known by its name";
    const TImageInfo info = RawFormat.Probe(bytes);
    EXPECT_EQ(info.Width, 64);
    EXPECT_EQ(info.Height, 48);
    const TBitmap read = DecodeFile(RawFormat, dir.File("a.dng"));
    ASSERT_EQ(read.Width(), 64);
    ExpectTheScenesColours(read, scene, {{{16, 12}, {16, 12}}, {{48, 12}, {48, 12}}, {{16, 36}, {16, 36}}, {{48, 36}, {48, 36}}});

    if (!testing::ToolAvailable("dcraw_emu")) GTEST_SKIP() << "dcraw_emu (libraw-bin) is not installed";
    ASSERT_TRUE(RunTool("dcraw_emu -w -g 2.4 12.92 -T " + Quoted(dir.File("a.dng"))));
    EXPECT_TRUE(testing::SamePicture(read, DecodeFile(TiffFormat, dir.File("a.dng.tiff"))));
}

// The raw's flip turns the picture once, in the reader; the EXIF orientation is no longer
// the picture's to apply.
TEST(RawFormat, TheRawsFlipTurnsThePictureOnce) {
    testing::TTempDir dir;
    const TBitmap scene = Patches(64, 48);
    const auto bytes = testing::TDngBuilder::Build(scene, 6);
    const TImageInfo info = RawFormat.Probe(bytes);
    EXPECT_EQ(info.Width, 48);
    EXPECT_EQ(info.Height, 64);
    EXPECT_EQ(info.Metadata.Orientation, 1);
    EXPECT_TRUE(RawFormat.OrientsItself);
    const TBitmap read = RawFormat.Decode(bytes, {}).Raster;
    ASSERT_EQ(read.Width(), 48);
    // A quarter clockwise: the scene's bottom-left patch is now at the top left.
    ExpectTheScenesColours(read, scene, {{{12, 16}, {16, 36}}, {{36, 16}, {16, 12}}, {{36, 48}, {48, 12}}, {{12, 48}, {48, 36}}});
}

// A small target decodes at half size, as upright and as colour-right as the full decode.
TEST(RawFormat, HalfSizeDecodingIsTheShrinkOnLoadOfRaw) {
    const TBitmap scene = Patches(64, 48);
    const auto bytes = testing::TDngBuilder::Build(scene, 6);
    TDecodeRequest half;
    half.ShrinkDenominator = 4;
    const TBitmap read = RawFormat.Decode(bytes, half).Raster;
    EXPECT_EQ(read.Width(), 24);
    EXPECT_EQ(read.Height(), 32);
    ExpectTheScenesColours(read, scene, {{{6, 8}, {16, 36}}, {{18, 8}, {16, 12}}, {{18, 24}, {48, 12}}, {{6, 24}, {48, 36}}});
    EXPECT_EQ(RawFormat.Shrink, TShrinkOnLoad::Approximate);
}

// The camera's descriptive tags are handed over as EXIF; damaged files and bombs fail with
// the reader's exception.
TEST(RawFormat, TagsAreHandedOverAndBadFilesRefused) {
    const auto bytes = testing::TDngBuilder::Build(Patches(64, 48));
    const std::vector<std::uint8_t> exif = RawFormat.Probe(bytes).Metadata.Exif;
    EXPECT_NE(std::search(exif.begin(), exif.end(), std::begin("Test Camera"), std::end("Test Camera") - 1), exif.end());
    TDecodeRequest small;
    small.MaxPixels = 64 * 47;
    EXPECT_THROW(RawFormat.Decode(bytes, small), EOutOfMemory) << "beyond the pixel cap";
    EXPECT_THROW(RawFormat.Decode(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 300), {}), EInvalidGraphic);
    EXPECT_THROW(RawFormat.Decode(std::vector<std::uint8_t>(100, 7), {}), EInvalidGraphic);
}

}  // namespace
}  // namespace pictorand
