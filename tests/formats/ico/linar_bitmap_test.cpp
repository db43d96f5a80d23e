#include "formats/ico/linar_bitmap.h"

#include <gtest/gtest.h>

#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

constexpr TColor Magenta = RGBColor(255, 0, 255);

std::vector<std::uint8_t> SaveIcon(const TBitmap& bitmap, const testing::TTempDir& dir, const std::string& name = "i.ico") {
    TLinarBitmap raster;
    raster.AssignFromBitmap(bitmap);
    raster.SaveToFile(dir.File(name));
    return testing::ReadFileBytes(dir.File(name));
}

TEST(IconWriter, TypicalTrueColourIcon) {
    testing::TTempDir dir;
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetSize(5, 2);
    picture.Fill(RGBColor(1, 2, 3));
    picture.SetPixel(0, 0, Magenta);
    const auto bytes = SaveIcon(picture, dir);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 6), (std::vector<std::uint8_t>{0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(bytes[6], 5);
    EXPECT_EQ(bytes[7], 2);
    const std::uint32_t imageBytes = bytes[14] | bytes[15] << 8;
    EXPECT_EQ(imageBytes, 40u + 2 * (16 + 4)) << "XOR rows of 16 bytes, AND rows of 4";
    EXPECT_EQ(bytes[18], 22);
    EXPECT_EQ(bytes[22 + 8], 4) << "twice the height in the image header";
    EXPECT_EQ(bytes[22 + 14], 24);
    // The top row is the last XOR row; its magenta pixel is black and masked.
    const std::size_t topXor = 22 + 40 + 16;
    EXPECT_EQ(bytes[topXor], 0);
    EXPECT_EQ(bytes[topXor + 3], 3);
    const std::size_t topAnd = 22 + 40 + 32 + 4;
    EXPECT_EQ(bytes[topAnd], 0x80);
    EXPECT_EQ(bytes.size(), 22u + imageBytes);
}

TEST(IconWriter, PictureWithAlphaGivesA32BitIcon) {
    testing::TTempDir dir;
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf32bit);
    picture.SetHasAlpha(true);
    picture.SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            std::uint8_t* p = picture.ScanLine(y) + 4 * x;
            p[0] = 10, p[1] = 20, p[2] = 30, p[3] = static_cast<std::uint8_t>(x * 100);
        }
    const auto bytes = SaveIcon(picture, dir);
    EXPECT_EQ(bytes[22 + 14], 32);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 10, bytes.begin() + 14), (std::vector<std::uint8_t>{1, 0, 32, 0}))
        << "the directory entry says one plane of 32 bits";
    const std::uint32_t imageBytes = bytes[14] | bytes[15] << 8;
    EXPECT_EQ(imageBytes, 40u + 2 * (12 + 4)) << "XOR rows of 12 bytes, AND rows of 4";
    if (testing::PillowAvailable()) {
        const auto alpha = testing::AlphaWithPillow(dir.File("i.ico"), dir.Path());
        EXPECT_EQ(alpha, (std::vector<std::uint8_t>{0, 100, 200, 0, 100, 200})) << "Pillow reads the alpha, not the AND mask";
    }
    // The top row is the last XOR row and keeps each pixel's alpha; only the fully
    // transparent pixel is masked.
    const std::size_t topXor = 22 + 40 + 12;
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + topXor, bytes.begin() + topXor + 12),
              (std::vector<std::uint8_t>{10, 20, 30, 0, 10, 20, 30, 100, 10, 20, 30, 200}));
    EXPECT_EQ(bytes[22 + 40 + 24 + 4], 0x80);

    picture.SetHasAlpha(false);
    TLinarBitmap opaque;
    opaque.AssignFromBitmap(picture);
    EXPECT_FALSE(opaque.Present()) << "32-bit pixels without alpha are not an icon's";
}

TEST(IconWriter, PaletteIconsAndRefusals) {
    testing::TTempDir dir;
    TBitmap small;
    small.SetPixelFormat(TPixelFormat::pf8bit);
    small.SetSize(3, 3);
    TPalette palette(256, TRGBQuad::From(clWhite));
    palette[200] = TRGBQuad::From(Magenta);
    small.SetPalette(palette);
    small.ScanLine(1)[1] = 200;  // magenta: transparent, ignored for the depth
    small.ScanLine(0)[0] = 15;
    const auto four = SaveIcon(small, dir);
    EXPECT_EQ(four[8], 16) << "indexes up to 15 give a 4-bit icon";
    EXPECT_EQ(four[22 + 14], 4);

    TBitmap grey;
    grey.SetPixelFormat(TPixelFormat::pf8bit);
    grey.SetSize(2, 2);
    grey.SetPalette({});
    grey.ScanLine(0)[0] = 99;
    const auto eight = SaveIcon(grey, dir);
    EXPECT_EQ(eight[22 + 14], 8);
    EXPECT_EQ(eight[22 + 40 + 4 * 99], 99) << "without a palette the grey ramp is used";

    TBitmap big;
    big.SetPixelFormat(TPixelFormat::pf24bit);
    big.SetSize(256, 10);
    try {
        SaveIcon(big, dir);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Image is too large for icon");
    }
    big.SetSize(255, 255);
    EXPECT_NO_THROW(SaveIcon(big, dir));
    EXPECT_THROW(SaveIcon(big, dir, "i.bmp"), EUnsupportedFileFormat);
    EXPECT_THROW(SaveIcon(big, dir, "noextension"), EUnsupportedFileFormat);
    EXPECT_EQ(SaveIcon(big, dir, "c.CUR")[2], 2) << "cursors carry type 2";
}

TEST(IconWriter, IndependentDecoderReadsWhatWeWrite) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoLike(32, 24);
    SaveIcon(picture, dir);
    const auto theirs = testing::DecodeWithPillow(dir.File("i.ico"), dir.Path());
    ASSERT_TRUE(theirs);
    EXPECT_TRUE(testing::SamePicture(picture, *theirs));
}

}  // namespace
}  // namespace pictorand
