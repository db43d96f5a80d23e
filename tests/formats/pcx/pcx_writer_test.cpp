#include "formats/pcx/pcx_writer.h"

#include <gtest/gtest.h>

#include "graphics/exceptions.h"
#include "independent_decoder.h"
#include "formats/pcx/pcx_graphic.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

TEST(PcxWriter, RunLengthEncoding) {
    EXPECT_EQ(EncodePcxPlane(std::vector<std::uint8_t>(200, 9)),
              (std::vector<std::uint8_t>{0xFF, 9, 0xFF, 9, 0xFF, 9, 0xCB, 9}));
    EXPECT_EQ(EncodePcxPlane(std::vector<std::uint8_t>{0xC5}), (std::vector<std::uint8_t>{0xC1, 0xC5}));
    EXPECT_EQ(EncodePcxPlane(std::vector<std::uint8_t>{0x7F}), (std::vector<std::uint8_t>{0x7F}));
    EXPECT_EQ(EncodePcxPlane(std::vector<std::uint8_t>{1, 2, 2}), (std::vector<std::uint8_t>{1, 0xC2, 2}));
}

TEST(PcxWriter, TypicalFileAndPalettePlanes) {
    const TBitmap picture = testing::PhotoLike(5, 3);
    TMemoryStream stream;
    WritePcxStream(stream, picture, 4);
    const auto& bytes = stream.Bytes();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<std::uint8_t>{0x0A, 5, 1, 8}));
    EXPECT_EQ(bytes[8], 4);
    EXPECT_EQ(bytes[12], 5);
    EXPECT_EQ(bytes[65], 3);
    EXPECT_EQ(bytes[66], 5) << "odd widths keep odd bytes per line";
    EXPECT_EQ(bytes[bytes.size() - 769], 0x0C);

    TBitmap indexed;
    indexed.SetPixelFormat(TPixelFormat::pf8bit);
    indexed.SetPalette({TRGBQuad::From(RGBColor(131, 66, 255))});
    indexed.SetSize(2, 1);
    TMemoryStream planes;
    WritePcxStream(planes, indexed, 4);
    const auto& p = planes.Bytes();
    EXPECT_EQ(std::vector<std::uint8_t>(p.begin() + 128, p.begin() + 134), (std::vector<std::uint8_t>{0xC2, 128, 0xC2, 64, 0xC2, 252}))
        << "palette colours with the two low bits cleared";
    EXPECT_EQ(p[16], 131 >> 2 << 2 | 1) << "6-bit palette values written back as v x 255 / 63";
}

TEST(PcxWriter, ReadBackAndRefusals) {
    const TBitmap picture = testing::PhotoLike(23, 9);
    TMemoryStream stream;
    WritePcxStream(stream, picture, 4);
    stream.SetPosition(0);
    TPCXGraphic reader;
    reader.LoadFromStream(stream);
    EXPECT_TRUE(testing::SamePicture(picture, reader));

    TBitmap huge;
    huge.SetPixelFormat(TPixelFormat::pf1bit);
    huge.SetSize(70000, 1);
    TMemoryStream out;
    EXPECT_THROW(WritePcxStream(out, huge, 4), EFieldOverflow);
}

TEST(PcxWriter, IndependentDecoderReadsWhatWeWrite) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoLike(41, 13);
    WritePcxFile(dir.File("out.pcx"), picture, 4);
    const auto theirs = testing::DecodeWithPillow(dir.File("out.pcx"), dir.Path());
    ASSERT_TRUE(theirs);
    EXPECT_TRUE(testing::SamePicture(picture, *theirs));
}

}  // namespace
}  // namespace pictorand
