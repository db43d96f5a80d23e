// WebP against libwebp's own tools: files cwebp and img2webp make read as dwebp decodes
// them, and files we write decode in dwebp as we meant them.
#include "formats/webp/webp_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "graphics/exceptions.h"
#include "graphics/file_stream.h"
#include "independent_decoder.h"
#include "reference_tools.h"
#include "test_images.h"
#include "test_profiles.h"

namespace pictorand {
namespace {

using testing::DecodeFile;
using testing::LargestDifference;
using testing::Quoted;
using testing::RunTool;

void Write(const std::string& path, const TBitmap& bitmap, const TWriteOptions& options) { testing::EncodeFile(WebpFormat, path, bitmap, options); }

// Lossless files read back exactly, alpha included; lossy ones as dwebp decodes them.
TEST(WebpFormat, ReadsWhatCwebpWritesAsDwebpDoes) {
    PICTORAND_REQUIRE_TOOL("cwebp", "webp");
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoWithAlpha(61, 40);
    testing::WritePng(dir.File("in.png"), picture);
    ASSERT_TRUE(RunTool("cwebp -lossless -exact " + Quoted(dir.File("in.png")) + " -o " + Quoted(dir.File("lossless.webp"))));
    EXPECT_EQ(LargestDifference(DecodeFile(WebpFormat, dir.File("lossless.webp")), picture), 0);

    ASSERT_TRUE(RunTool("cwebp -q 70 " + Quoted(dir.File("in.png")) + " -o " + Quoted(dir.File("lossy.webp"))));
    ASSERT_TRUE(RunTool("dwebp " + Quoted(dir.File("lossy.webp")) + " -o " + Quoted(dir.File("reference.png"))));
    const TBitmap read = DecodeFile(WebpFormat, dir.File("lossy.webp"));
    ASSERT_TRUE(read.HasAlpha());
    EXPECT_LE(LargestDifference(read, DecodeFile(PngFormat, dir.File("reference.png"))), 1);
}

// What we write, dwebp decodes: exactly when lossless, close to the picture when lossy, and
// a higher quality or effort never costs the picture.
TEST(WebpFormat, WrittenFilesDecodeInDwebp) {
    PICTORAND_REQUIRE_TOOL("dwebp", "webp");
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoWithAlpha(64, 48);
    Write(dir.File("lossless.webp"), picture, {.Lossless = true});
    ASSERT_TRUE(RunTool("dwebp " + Quoted(dir.File("lossless.webp")) + " -o " + Quoted(dir.File("lossless.png"))));
    const TBitmap lossless = DecodeFile(PngFormat, dir.File("lossless.png"));
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 1; x < picture.Width(); ++x)  // the first column is fully clear: its colour is free
            ASSERT_EQ(std::memcmp(lossless.ScanLine(y) + 4 * x, picture.ScanLine(y) + 4 * x, 4), 0) << x << "," << y;

    const TBitmap photo = testing::PhotoLike(96, 64);
    Write(dir.File("q30.webp"), photo, {.Quality = 30});
    Write(dir.File("q90.webp"), photo, {.Quality = 90, .Effort = 10});
    ASSERT_TRUE(RunTool("dwebp " + Quoted(dir.File("q90.webp")) + " -o " + Quoted(dir.File("q90.png"))));
    const TBitmap q90 = DecodeFile(PngFormat, dir.File("q90.png"));
    EXPECT_FALSE(q90.HasAlpha()) << "an opaque picture is written without alpha";
    EXPECT_GT(testing::Psnr(q90, photo), 38);
    EXPECT_LT(std::filesystem::file_size(dir.File("q30.webp")), std::filesystem::file_size(dir.File("q90.webp")));
}

// An animation gives its first frame and says that the others were left.
TEST(WebpFormat, AnimationGivesItsFirstFrameAndSaysSo) {
    PICTORAND_REQUIRE_TOOL("img2webp", "webp");
    testing::TTempDir dir;
    testing::WritePng(dir.File("red.png"), testing::Solid(8, 6, RGBColor(255, 0, 0)));
    testing::WritePng(dir.File("blue.png"), testing::Solid(8, 6, RGBColor(0, 0, 255)));
    ASSERT_TRUE(RunTool("img2webp -lossless " + Quoted(dir.File("red.png")) + " " + Quoted(dir.File("blue.png")) + " " +
                        Quoted(dir.File("red.png")) + " -o " + Quoted(dir.File("anim.webp"))));
    const auto bytes = testing::ReadFileBytes(dir.File("anim.webp"));
    EXPECT_EQ(WebpFormat.Probe(bytes).Frames, 3);
    const TDecodedImage decoded = WebpFormat.Decode(bytes, {});
    EXPECT_EQ(decoded.Raster.GetPixel(4, 3), RGBColor(255, 0, 0));
    ASSERT_EQ(decoded.Warnings.size(), 1u);
    EXPECT_EQ(decoded.Warnings[0], "an animation of 3 frames: only the first is read");
}

// EXIF, XMP and the ICC profile go into the file and come back out, as webpmux sees them.
TEST(WebpFormat, MetadataIsCarriedBothWays) {
    testing::TTempDir dir;
    TSourceMetadata metadata;
    metadata.Exif = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    metadata.Xmp = {'<', 'x', '/', '>'};
    metadata.IccProfile = testing::AdobeRgbProfile();
    Write(dir.File("meta.webp"), testing::PhotoLike(16, 16), {.Metadata = &metadata});
    const TImageInfo info = WebpFormat.Probe(testing::ReadFileBytes(dir.File("meta.webp")));
    EXPECT_EQ(info.Metadata.Exif, metadata.Exif);
    EXPECT_EQ(info.Metadata.Xmp, metadata.Xmp);
    EXPECT_EQ(info.Metadata.IccProfile, metadata.IccProfile);
    if (testing::ToolAvailable("webpmux")) {
        EXPECT_TRUE(RunTool("webpmux -get exif " + Quoted(dir.File("meta.webp")) + " -o " + Quoted(dir.File("exif"))));
        EXPECT_EQ(testing::ReadFileBytes(dir.File("exif")), metadata.Exif);
    }
}

// Damaged files and pictures beyond the cap fail with the reader's exception, before any
// pixel is decoded.
TEST(WebpFormat, BadFilesAndBombsAreRefused) {
    testing::TTempDir dir;
    Write(dir.File("a.webp"), testing::PhotoLike(300, 200), {.Quality = 50});
    auto bytes = testing::ReadFileBytes(dir.File("a.webp"));
    TDecodeRequest small;
    small.MaxPixels = 300 * 199;
    EXPECT_THROW(WebpFormat.Decode(bytes, small), EOutOfMemory) << "beyond the pixel cap";
    bytes.resize(bytes.size() / 2);
    EXPECT_THROW(WebpFormat.Decode(bytes, {}), EInvalidGraphic);
    EXPECT_THROW(WebpFormat.Decode(std::vector<std::uint8_t>(40, 0), {}), EInvalidGraphic);
    TBitmap tooWide;
    tooWide.SetPixelFormat(TPixelFormat::pf24bit);
    tooWide.SetSize(16384, 1);
    TMemoryStream out;
    EXPECT_THROW(WebpFormat.Encode(out, tooWide, {}), Exception) << "WebP's sides end at 16383";
}

}  // namespace
}  // namespace pictorand
