#include "formats/tiff/tiff_writer.h"

#include <gtest/gtest.h>

#include "independent_decoder.h"
#include "formats/tiff/tiff_graphic.h"
#include "formats/tiff/tiff_metadata.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

std::vector<std::uint8_t> Write(const TBitmap& bitmap) {
    TMemoryStream stream;
    WriteTiffStream(stream, bitmap);
    return stream.Bytes();
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint32_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }

// The value field of the IFD entry with the tag.
std::uint32_t EntryValue(const std::vector<std::uint8_t>& file, std::uint16_t tag, std::uint16_t* type = nullptr) {
    const std::uint32_t ifd = Le32(file, 4);
    for (std::uint32_t i = 0; i < Le16(file, ifd); ++i) {
        const std::size_t at = ifd + 2 + 12 * i;
        if (Le16(file, at) != tag) continue;
        if (type) *type = static_cast<std::uint16_t>(Le16(file, at + 2));
        return Le16(file, at + 2) == 3 && Le32(file, at + 4) == 1 ? Le16(file, at + 8) : Le32(file, at + 8);
    }
    return 0xFFFFFFFF;
}

TEST(TiffWriter, TypicalTrueColourFile) {
    const TBitmap picture = testing::PhotoLike(7, 5);
    const auto file = Write(picture);
    // Rows at 42, then one byte that puts the IFD on a word boundary.
    EXPECT_EQ(file.size(), 42u + 3 * 7 * 5 + 1 + 186);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 2), "II");
    EXPECT_EQ(Le32(file, 4), 42u + 3 * 7 * 5 + 1);
    EXPECT_EQ(Le32(file, 4) % 2, 0u);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 8, file.begin() + 16), (std::vector<std::uint8_t>{0x6D, 3, 0, 0, 10, 0, 0, 0}));
    EXPECT_EQ(std::string(file.begin() + 30, file.begin() + 41), std::string("Rastermill", 11)) << "ends in a NUL";
    EXPECT_EQ(file[42], picture.ScanLine(0)[2]) << "red first";
    EXPECT_EQ(Le16(file, Le32(file, 4)), 15u);
    EXPECT_EQ(EntryValue(file, 262), 2u);
    EXPECT_EQ(EntryValue(file, 279), 3u * 7 * 5);
}

TEST(TiffWriter, ProfileGoesWithRgbPicturesOnly) {
    std::vector<std::uint8_t> profile(300);
    for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i * 7);
    TMemoryStream rgb;
    WriteTiffStream(rgb, testing::PhotoLike(5, 3), profile);
    std::uint16_t type = 0;
    const std::uint32_t at = EntryValue(rgb.Bytes(), 34675, &type);
    EXPECT_EQ(type, 7);
    EXPECT_EQ(at % 2, 0u);
    EXPECT_EQ(ReadTiffMetadata(rgb.Bytes()).IccProfile, profile) << "our own reader finds it again";
    TTIFFGraphic reread;
    TMemoryStream copy(rgb.Bytes());
    reread.LoadFromStream(copy);
    EXPECT_EQ(reread.GetPixel(4, 2), testing::PhotoLike(5, 3).GetPixel(4, 2));

    TBitmap indexed = testing::PhotoLike(4, 4);
    indexed.SetPixelFormat(TPixelFormat::pf8bit);
    TMemoryStream palette;
    WriteTiffStream(palette, indexed, profile);
    EXPECT_EQ(EntryValue(palette.Bytes(), 34675), 0xFFFFFFFFu);
    const std::uint8_t tooShort[8] = {};
    TMemoryStream none;
    WriteTiffStream(none, testing::PhotoLike(5, 3), tooShort);
    EXPECT_EQ(none.Bytes(), Write(testing::PhotoLike(5, 3)));
}

TEST(TiffWriter, PaletteAndBilevelLayouts) {
    TBitmap four;
    four.SetPixelFormat(TPixelFormat::pf4bit);
    four.SetSize(7, 2);
    const auto fourFile = Write(four);
    EXPECT_EQ(EntryValue(fourFile, 256), 7u) << "every column is kept";
    EXPECT_EQ(EntryValue(fourFile, 279), 8u) << "two rows of (7 + 1) / 2 bytes";
    EXPECT_EQ(EntryValue(fourFile, 262), 3u);

    TBitmap eight;
    eight.SetPixelFormat(TPixelFormat::pf8bit);
    eight.SetPalette({TRGBQuad::From(RGBColor(1, 2, 3))});
    eight.SetSize(3, 3);
    const auto eightFile = Write(eight);
    EXPECT_EQ(Le16(eightFile, 8), 257u) << "colour 1 scaled to 0..65535";
    const std::uint32_t ifd = Le32(eightFile, 4);
    EXPECT_EQ(Le32(eightFile, ifd + 2 + 12 * 14 + 4), 768u) << "ColorMap count";

    // A bilevel picture keeps its look: black and white is min-is-black, white and black
    // min-is-white, any other pair a two-colour palette.
    struct Case { TColor first, second; std::uint32_t photometric, entries; };
    for (const Case& c : {Case{clBlack, clWhite, 1, 14}, Case{clWhite, clBlack, 0, 14}, Case{RGBColor(200, 0, 0), clWhite, 3, 15}}) {
        TBitmap mono;
        mono.SetPixelFormat(TPixelFormat::pf1bit);
        mono.SetPalette({TRGBQuad::From(c.first), TRGBQuad::From(c.second)});
        mono.SetSize(10, 2);
        const auto monoFile = Write(mono);
        EXPECT_EQ(Le16(monoFile, Le32(monoFile, 4)), c.entries);
        EXPECT_EQ(EntryValue(monoFile, 262), c.photometric);
        TMemoryStream stream(monoFile);
        TTIFFGraphic back;
        back.LoadFromStream(stream);
        EXPECT_EQ(back.GetPixel(0, 0), c.first);
    }

    TBitmap rgba;
    rgba.SetPixelFormat(TPixelFormat::pf32bit);
    rgba.SetSize(2, 2);
    EXPECT_EQ(Write(rgba).size(), 42u + 12 + 186) << "32-bit written as 24-bit RGB";
}

TEST(TiffWriter, WideImagesUseLongSizes) {
    TBitmap wide;
    wide.SetPixelFormat(TPixelFormat::pf1bit);
    wide.SetSize(70000, 1);
    const auto file = Write(wide);
    std::uint16_t type = 0;
    EXPECT_EQ(EntryValue(file, 256, &type), 70000u);
    EXPECT_EQ(type, 4) << "a width over 65535 is a LONG";
    TMemoryStream stream(file);
    TTIFFGraphic reader;
    reader.LoadFromStream(stream);
    EXPECT_EQ(reader.Width(), 70000);
}

TEST(TiffWriter, IndependentDecoderReadsEveryLayout) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    TBitmap indexed;
    indexed.SetPixelFormat(TPixelFormat::pf8bit);
    indexed.SetSize(9, 4);
    indexed.SetPixel(3, 2, RGBColor(255, 0, 0));
    TBitmap mono;
    mono.SetPixelFormat(TPixelFormat::pf1bit);
    mono.SetSize(11, 3);
    mono.SetPixel(5, 1, clWhite);
    TBitmap inverted = mono;
    inverted.SetPalette({TRGBQuad::From(clWhite), TRGBQuad::From(clBlack)});
    TBitmap twoColours = mono;
    twoColours.SetPalette({TRGBQuad::From(RGBColor(10, 120, 250)), TRGBQuad::From(RGBColor(250, 200, 0))});
    std::vector<TBitmap> pictures = {testing::PhotoLike(31, 17), indexed, mono, inverted, twoColours};
    // Narrow 4-bit pictures, whose last byte of a row holds one pixel.
    for (int width : {3, 33}) {
        TBitmap four;
        four.SetPixelFormat(TPixelFormat::pf4bit);
        four.SetSize(width, 2);
        four.SetPixel(width - 1, 1, RGBColor(255, 0, 0));
        pictures.push_back(four);
    }
    for (const TBitmap& picture : pictures) {
        SCOPED_TRACE(std::to_string(BitsPerPixel(picture.PixelFormat())) + " bits, " + std::to_string(picture.Width()) + " wide");
        WriteTiffFile(dir.File("out.tif"), picture);
        const auto theirs = testing::DecodeWithPillow(dir.File("out.tif"), dir.Path());
        ASSERT_TRUE(theirs);
        EXPECT_TRUE(testing::SamePicture(picture, *theirs));
        TTIFFGraphic ours;
        ours.LoadFromFile(dir.File("out.tif"));
        EXPECT_TRUE(testing::SamePicture(picture, ours));
    }
}

}  // namespace
}  // namespace pictorand
