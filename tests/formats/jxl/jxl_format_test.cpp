// JPEG XL against libjxl's own tools: cjxl's files read as djxl decodes them, ours decode
// in djxl as we meant them.
#include "formats/jxl/jxl_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formats/jpeg/jpeg_format.h"
#include "graphics/exceptions.h"
#include "graphics/file_stream.h"
#include "independent_decoder.h"
#include "png_builder.h"
#include "reference_tools.h"
#include "test_images.h"
#include "test_profiles.h"

namespace pictorand {
namespace {

using testing::DecodeFile;
using testing::LargestDifference;
using testing::Quoted;
using testing::RunTool;

void Write(const std::string& path, const TBitmap& bitmap, const TWriteOptions& options) { testing::EncodeFile(JxlFormat, path, bitmap, options); }

// Lossless files, 8- and 16-bit, read back exactly (16 bits by their top byte); lossy ones
// as djxl decodes them.
TEST(JxlFormat, ReadsWhatCjxlWritesAsDjxlDoes) {
    PICTORAND_REQUIRE_TOOL("cjxl", "libjxl-tools");
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoWithAlpha(50, 30);
    testing::WritePng(dir.File("in.png"), picture);
    ASSERT_TRUE(RunTool("cjxl -d 0 " + Quoted(dir.File("in.png")) + " " + Quoted(dir.File("lossless.jxl"))));
    EXPECT_EQ(LargestDifference(DecodeFile(JxlFormat, dir.File("lossless.jxl")), picture), 0);

    // 16-bit samples whose low byte differs from the high one: only the high byte is kept.
    const TBitmap photo = testing::PhotoLike(40, 24);
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < photo.Height(); ++y) {
        rows.push_back(0);
        for (int x = 0; x < photo.Width(); ++x)
            for (const int shift : {0, 8, 16}) rows.insert(rows.end(), {static_cast<std::uint8_t>(photo.GetPixel(x, y) >> shift & 255), 0x30});
    }
    testing::WriteFileBytes(dir.File("deep.png"), testing::TPngBuilder().Header(40, 24, 16, 2).ImageData(rows).End().Build());
    ASSERT_TRUE(RunTool("cjxl -d 0 " + Quoted(dir.File("deep.png")) + " " + Quoted(dir.File("deep.jxl"))));
    EXPECT_EQ(JxlFormat.Probe(testing::ReadFileBytes(dir.File("deep.jxl"))).BitsPerSample, 16);
    EXPECT_LE(LargestDifference(DecodeFile(JxlFormat, dir.File("deep.jxl")), photo), 1);

    ASSERT_TRUE(RunTool("cjxl -q 75 " + Quoted(dir.File("in.png")) + " " + Quoted(dir.File("lossy.jxl"))));
    ASSERT_TRUE(RunTool("djxl " + Quoted(dir.File("lossy.jxl")) + " " + Quoted(dir.File("reference.png"))));
    EXPECT_LE(LargestDifference(DecodeFile(JxlFormat, dir.File("lossy.jxl")), DecodeFile(PngFormat, dir.File("reference.png"))), 1);
}

// A JPEG recompressed by cjxl keeps its orientation in the code stream, which the decoder
// applies; the EXIF block comes out of its compressed box.
TEST(JxlFormat, OrientationIsAppliedByTheDecoderAndExifIsHandedOver) {
    PICTORAND_REQUIRE_TOOL("cjxl", "libjxl-tools");
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoLike(24, 16);
    TSourceMetadata metadata;
    metadata.Exif = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
    testing::EncodeFile(JpegFormat, dir.File("turned.jpg"), picture, {.Quality = 95, .Metadata = &metadata});
    ASSERT_TRUE(RunTool("cjxl " + Quoted(dir.File("turned.jpg")) + " " + Quoted(dir.File("turned.jxl"))));
    const TImageInfo info = JxlFormat.Probe(testing::ReadFileBytes(dir.File("turned.jxl")));
    EXPECT_EQ(info.Width, 16);
    EXPECT_EQ(info.Height, 24);
    EXPECT_EQ(info.Metadata.Orientation, 1);
    EXPECT_EQ(info.Metadata.Exif, metadata.Exif);
    const TBitmap read = DecodeFile(JxlFormat, dir.File("turned.jxl"));
    ASSERT_EQ(read.Width(), 16);
    // Turned a quarter clockwise: the source's bottom-left corner is now the top-left one.
    const TBitmap jpeg = DecodeFile(JpegFormat, dir.File("turned.jpg"));
    for (int y = 0; y < 24; y += 5)
        for (int x = 0; x < 16; x += 3)
            for (const int shift : {0, 8, 16})
                EXPECT_NEAR(read.GetPixel(x, y) >> shift & 255, jpeg.GetPixel(y, 15 - x) >> shift & 255, 4) << x << "," << y;
}

// What we write, djxl decodes: exactly when lossless, close when lossy; a profile the
// pixels are in is carried, and so are EXIF and XMP.
TEST(JxlFormat, WrittenFilesDecodeInDjxlAndCarryTheirMetadata) {
    PICTORAND_REQUIRE_TOOL("djxl", "libjxl-tools");
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoWithAlpha(40, 30);
    Write(dir.File("lossless.jxl"), picture, {.Lossless = true, .Effort = 1});
    ASSERT_TRUE(RunTool("djxl " + Quoted(dir.File("lossless.jxl")) + " " + Quoted(dir.File("lossless.png"))));
    EXPECT_EQ(LargestDifference(DecodeFile(PngFormat, dir.File("lossless.png")), picture), 0);

    const TBitmap photo = testing::PhotoLike(96, 64);
    Write(dir.File("q90.jxl"), photo, {});
    ASSERT_TRUE(RunTool("djxl " + Quoted(dir.File("q90.jxl")) + " " + Quoted(dir.File("q90.png"))));
    EXPECT_GT(testing::Psnr(DecodeFile(PngFormat, dir.File("q90.png")), photo), 38);

    TSourceMetadata metadata;
    metadata.Exif = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0};
    metadata.Xmp = {'<', 'x', '/', '>'};
    metadata.IccProfile = testing::AdobeRgbProfile();
    Write(dir.File("meta.jxl"), photo, {.Quality = 80, .Metadata = &metadata});
    const TImageInfo info = JxlFormat.Probe(testing::ReadFileBytes(dir.File("meta.jxl")));
    EXPECT_EQ(info.Metadata.Exif, metadata.Exif);
    EXPECT_EQ(info.Metadata.Xmp, metadata.Xmp);
    EXPECT_FALSE(info.Metadata.IccProfile.empty()) << "Adobe RGB pixels say so";
}

TEST(JxlFormat, BadFilesAndBombsAreRefused) {
    testing::TTempDir dir;
    Write(dir.File("a.jxl"), testing::PhotoLike(300, 200), {.Quality = 50, .Effort = 1});
    auto bytes = testing::ReadFileBytes(dir.File("a.jxl"));
    TDecodeRequest small;
    small.MaxPixels = 300 * 199;
    EXPECT_THROW(JxlFormat.Decode(bytes, small), EOutOfMemory) << "beyond the pixel cap";
    bytes.resize(bytes.size() / 2);
    EXPECT_THROW(JxlFormat.Decode(bytes, {}), EInvalidGraphic);
    const std::vector<std::uint8_t> garbage = {0xFF, 0x0A, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_THROW(JxlFormat.Decode(garbage, {}), EInvalidGraphic);
}

}  // namespace
}  // namespace pictorand
