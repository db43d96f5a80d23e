// HEIC and AVIF reading against the reference tools: heif-enc and avifenc make the files,
// heif-convert decodes them independently of our conversion to 8-bit BGR.
#include "formats/heic/heic_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formats/avif/avif_format.h"
#include "formats/heic/heif_grid.h"
#include "graphics/exceptions.h"
#include "png_builder.h"
#include "reference_tools.h"
#include "test_images.h"

namespace pictorand {
namespace {

using testing::DecodeFile;
using testing::LargestDifference;
using testing::Quoted;
using testing::RunTool;

// A 16-bit RGB PNG whose samples are those of an 8-bit picture, spread over 16 bits.
std::vector<std::uint8_t> SixteenBitPngFile(const TBitmap& picture) {
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < picture.Height(); ++y) {
        rows.push_back(0);
        for (int x = 0; x < picture.Width(); ++x) {
            const TColor c = picture.GetPixel(x, y);
            for (const int shift : {0, 8, 16}) {
                const auto v = static_cast<std::uint8_t>(c >> shift & 255);
                rows.insert(rows.end(), {v, v});
            }
        }
    }
    return testing::TPngBuilder()
        .Header(static_cast<std::uint32_t>(picture.Width()), static_cast<std::uint32_t>(picture.Height()), 16, 2)
        .ImageData(rows)
        .End()
        .Build();
}

// An EXIF block (little-endian TIFF) that holds only an orientation.
std::vector<std::uint8_t> ExifWithOrientation(std::uint8_t orientation) {
    return {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, orientation, 0, 0, 0, 0, 0, 0, 0};
}

// 8-bit files read as heif-convert decodes them, alpha included.
TEST(HeicFormat, ReadsWhatHeifEncWritesAsHeifConvertDoes) {
    PICTORAND_REQUIRE_TOOL("heif-enc", "libheif-examples");
    testing::TTempDir dir;
    testing::WritePng(dir.File("in.png"), testing::PhotoWithAlpha(64, 40));
    ASSERT_TRUE(RunTool("heif-enc -q 70 " + Quoted(dir.File("in.png")) + " -o " + Quoted(dir.File("a.heic"))));
    ASSERT_TRUE(RunTool("heif-convert " + Quoted(dir.File("a.heic")) + " " + Quoted(dir.File("reference.png"))));
    const TBitmap read = DecodeFile(HeicFormat, dir.File("a.heic"));
    ASSERT_TRUE(read.HasAlpha());
    EXPECT_LE(LargestDifference(read, DecodeFile(PngFormat, dir.File("reference.png"))), 1);
    const TImageInfo info = HeicFormat.Probe(testing::ReadFileBytes(dir.File("a.heic")));
    EXPECT_EQ(info.Width, 64);
    EXPECT_EQ(info.Height, 40);
    EXPECT_TRUE(info.HasAlpha);
}

// 10- and 12-bit pictures come down to 8 bits as their top bits.
TEST(HeicFormat, TenAndTwelveBitPicturesComeDownToEightBits) {
    PICTORAND_REQUIRE_TOOL("heif-enc", "libheif-examples");
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoLike(48, 32);
    testing::WriteFileBytes(dir.File("deep.png"), SixteenBitPngFile(picture));
    for (const char* depth : {"10", "12"}) {
        const std::string heic = dir.File(std::string("deep") + depth + ".heic");
        ASSERT_TRUE(RunTool("heif-enc -L -p chroma=444 --matrix_coefficients=0 -b " + std::string(depth) + " " +
                            Quoted(dir.File("deep.png")) + " -o " + Quoted(heic)));
        EXPECT_EQ(HeicFormat.Probe(testing::ReadFileBytes(heic)).BitsPerSample, std::stoi(depth));
        EXPECT_LE(LargestDifference(DecodeFile(HeicFormat, heic), picture), 1) << depth << " bits";
    }
}

// The container's rotation and mirror are applied once, by the reader; an EXIF orientation
// beside them is no longer the picture's.
TEST(HeicFormat, TheContainersTransformsTurnThePictureOnce) {
    PICTORAND_REQUIRE_TOOL("avifenc", "libavif-bin");
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoLike(6, 4);
    testing::WritePng(dir.File("in.png"), picture);
    testing::WriteFileBytes(dir.File("exif"), ExifWithOrientation(6));
    // irot 1 turns the picture a quarter anticlockwise.
    ASSERT_TRUE(RunTool("avifenc -l -s 10 --irot 1 --exif " + Quoted(dir.File("exif")) + " " + Quoted(dir.File("in.png")) + " " +
                        Quoted(dir.File("turned.avif"))));
    const auto bytes = testing::ReadFileBytes(dir.File("turned.avif"));
    const TImageInfo info = AvifFormat.Probe(bytes);
    EXPECT_EQ(info.Width, 4);
    EXPECT_EQ(info.Height, 6);
    EXPECT_EQ(info.Metadata.Orientation, 1) << "the EXIF tag is not applied again";
    EXPECT_EQ(info.Metadata.Exif, ExifWithOrientation(6)) << "the block itself is handed over";
    EXPECT_TRUE(AvifFormat.OrientsItself);
    const TBitmap read = DecodeFile(AvifFormat, dir.File("turned.avif"));
    ASSERT_EQ(read.Width(), 4);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(read.GetPixel(x, y), picture.GetPixel(5 - y, x)) << x << "," << y;
}

// Colour given by code points rather than a profile is handed over for conversion, and
// associated alpha comes out straight.
TEST(HeicFormat, CodePointsAndAssociatedAlphaAreHandedOver) {
    PICTORAND_REQUIRE_TOOL("heif-enc", "libheif-examples");
    PICTORAND_REQUIRE_TOOL("avifenc", "libavif-bin");
    testing::TTempDir dir;
    testing::WritePng(dir.File("in.png"), testing::PhotoLike(16, 16));
    // Display P3 with sRGB's curve, as phones write.
    ASSERT_TRUE(RunTool("avifenc -s 10 --cicp 12/13/6 " + Quoted(dir.File("in.png")) + " " + Quoted(dir.File("p3.avif"))));
    const TImageInfo info = AvifFormat.Probe(testing::ReadFileBytes(dir.File("p3.avif")));
    ASSERT_TRUE(info.Metadata.Cicp.has_value());
    EXPECT_EQ(*info.Metadata.Cicp, (TCicp{12, 13}));
    EXPECT_TRUE(info.Metadata.IccProfile.empty());

    // Half-covered grey 200 stored associated is 100.
    TBitmap premultiplied;
    premultiplied.SetPixelFormat(TPixelFormat::pf32bit);
    premultiplied.SetSize(8, 8);
    premultiplied.SetHasAlpha(true);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) std::memcpy(premultiplied.ScanLine(y) + 4 * x, "\x64\x64\x64\x80", 4);
    testing::WritePng(dir.File("associated.png"), premultiplied);
    ASSERT_TRUE(RunTool("heif-enc -L -p chroma=444 --matrix_coefficients=0 --premultiplied-alpha " + Quoted(dir.File("associated.png")) +
                        " -o " + Quoted(dir.File("associated.heic"))));
    const TBitmap read = DecodeFile(HeicFormat, dir.File("associated.heic"));
    ASSERT_TRUE(read.HasAlpha());
    EXPECT_NEAR(read.ScanLine(3)[12], 200, 2);
    EXPECT_EQ(read.ScanLine(3)[15], 0x80);
}

// A grid picture (phones store theirs as tiles) reads whole; a grid whose canvas claims more
// than the picture, or whose size this reader cannot find (an iloc with 7-byte indices that
// libheif reads anyway), is refused before the decoder builds it (the fuzzer found both
// asking libheif for 4 GB).
TEST(HeicFormat, GridsAreReadAndAGridClaimingMoreIsRefused) {
    PICTORAND_REQUIRE_TOOL("avifenc", "libavif-bin");
    testing::TTempDir dir;
    // Cells of at least 64 pixels a side.
    const TBitmap picture = testing::PhotoLike(256, 128);
    testing::WritePng(dir.File("in.png"), picture);
    ASSERT_TRUE(RunTool("avifenc -l -s 10 --grid 2x2 " + Quoted(dir.File("in.png")) + " " + Quoted(dir.File("grid.avif"))));
    const auto bytes = testing::ReadFileBytes(dir.File("grid.avif"));
    EXPECT_TRUE(HeifGridCanvas(bytes).PrimaryIsGrid);
    EXPECT_EQ(HeifGridCanvas(bytes).Canvas, (std::pair<std::uint32_t, std::uint32_t>{256, 128}));
    EXPECT_EQ(LargestDifference(DecodeFile(AvifFormat, dir.File("grid.avif")), picture), 0);
    const std::string regressions = std::string(PICTORAND_SOURCE_DIR) + "/fuzz/regressions/heif/";
    const auto bomb = testing::ReadFileBytes(regressions + "oom-7e84e628c948f4b90fc5f69d622000477b15af7b");
    EXPECT_EQ(HeifGridCanvas(bomb).Canvas, (std::pair<std::uint32_t, std::uint32_t>{64487, 65519}));
    EXPECT_THROW(HeicFormat.Decode(bomb, {}), EInvalidGraphic);
    const auto unreadable = testing::ReadFileBytes(regressions + "oom-18c3ef2625938ba26c5dfb01dabc58ad912ef115");
    EXPECT_TRUE(HeifGridCanvas(unreadable).PrimaryIsGrid);
    EXPECT_FALSE(HeifGridCanvas(unreadable).Canvas);
    EXPECT_THROW(HeicFormat.Decode(unreadable, {}), EInvalidGraphic);
    // A picture that is no grid is not taken for one.
    testing::WritePng(dir.File("single.png"), picture);
    ASSERT_TRUE(RunTool("avifenc -l -s 10 " + Quoted(dir.File("single.png")) + " " + Quoted(dir.File("single.avif"))));
    EXPECT_FALSE(HeifGridCanvas(testing::ReadFileBytes(dir.File("single.avif"))).PrimaryIsGrid);
}

// Damaged files and pictures beyond the cap fail with the reader's exception.
TEST(HeicFormat, BadFilesAndBombsAreRefused) {
    PICTORAND_REQUIRE_TOOL("heif-enc", "libheif-examples");
    testing::TTempDir dir;
    testing::WritePng(dir.File("in.png"), testing::PhotoLike(200, 100));
    ASSERT_TRUE(RunTool("heif-enc -q 50 " + Quoted(dir.File("in.png")) + " -o " + Quoted(dir.File("a.heic"))));
    auto bytes = testing::ReadFileBytes(dir.File("a.heic"));
    TDecodeRequest small;
    small.MaxPixels = 200 * 99;
    EXPECT_THROW(HeicFormat.Decode(bytes, small), EOutOfMemory) << "beyond the pixel cap";
    bytes.resize(bytes.size() * 2 / 3);
    EXPECT_THROW(HeicFormat.Decode(bytes, {}), EInvalidGraphic);
    EXPECT_THROW(HeicFormat.Decode(std::vector<std::uint8_t>(64, 0), {}), EInvalidGraphic);
    EXPECT_EQ(HeicFormat.Probe(std::vector<std::uint8_t>(64, 0)).Width, 0);
}

}  // namespace
}  // namespace pictorand
