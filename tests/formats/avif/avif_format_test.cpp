// AVIF writing against libavif's own decoder, and what the files carry as libheif reads it.
#include "formats/avif/avif_format.h"

#include <gtest/gtest.h>

#include "graphics/exceptions.h"
#include "graphics/file_stream.h"
#include "independent_decoder.h"
#include "reference_tools.h"
#include "test_images.h"
#include "test_profiles.h"

namespace pictorand {
namespace {

using testing::DecodeFile;
using testing::Quoted;
using testing::RunTool;

void Write(const std::string& path, const TBitmap& bitmap, const TWriteOptions& options) { testing::EncodeFile(AvifFormat, path, bitmap, options); }

// avifdec decodes what we write close to the picture, alpha included; the quality trades
// size for fidelity, and the highest qualities keep the colour at full resolution.
TEST(AvifFormat, WrittenFilesDecodeInAvifdec) {
    PICTORAND_REQUIRE_TOOL("avifdec", "libavif-bin");
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoWithAlpha(64, 48);
    Write(dir.File("alpha.avif"), picture, {.Effort = 10});
    ASSERT_TRUE(RunTool("avifdec " + Quoted(dir.File("alpha.avif")) + " " + Quoted(dir.File("alpha.png"))));
    const TBitmap alpha = DecodeFile(PngFormat, dir.File("alpha.png"));
    ASSERT_TRUE(alpha.HasAlpha());
    int worstAlpha = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) worstAlpha = std::max(worstAlpha, std::abs(alpha.ScanLine(y)[4 * x + 3] - picture.ScanLine(y)[4 * x + 3]));
    EXPECT_LE(worstAlpha, 8);

    const TBitmap photo = testing::PhotoLike(96, 64);
    for (const int quality : {30, 60, 95}) Write(dir.File(std::to_string(quality) + ".avif"), photo, {.Quality = quality});
    ASSERT_TRUE(RunTool("avifdec " + Quoted(dir.File("60.avif")) + " " + Quoted(dir.File("60.png"))));
    EXPECT_GT(testing::Psnr(DecodeFile(PngFormat, dir.File("60.png")), photo), 33);
    EXPECT_LT(std::filesystem::file_size(dir.File("30.avif")), std::filesystem::file_size(dir.File("60.avif")));
    EXPECT_LT(std::filesystem::file_size(dir.File("60.avif")), std::filesystem::file_size(dir.File("95.avif")));
    const std::string info = dir.File("info.txt");
    ASSERT_TRUE(std::system(("avifdec --info " + Quoted(dir.File("95.avif")) + " > " + Quoted(info)).c_str()) == 0);
    const auto text = testing::ReadFileBytes(info);
    EXPECT_NE(std::string(text.begin(), text.end()).find("YUV444"), std::string::npos);
}

// The ICC profile, EXIF and XMP given to the writer are in the file.
TEST(AvifFormat, MetadataIsCarried) {
    testing::TTempDir dir;
    TSourceMetadata metadata;
    metadata.Exif = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0};
    metadata.Xmp = {'<', 'x', '/', '>'};
    metadata.IccProfile = testing::AdobeRgbProfile();
    Write(dir.File("meta.avif"), testing::PhotoLike(16, 16), {.Metadata = &metadata});
    const TImageInfo info = AvifFormat.Probe(testing::ReadFileBytes(dir.File("meta.avif")));
    EXPECT_EQ(info.Metadata.Exif, metadata.Exif);
    EXPECT_EQ(info.Metadata.Xmp, metadata.Xmp);
    EXPECT_EQ(info.Metadata.IccProfile, metadata.IccProfile);
    EXPECT_FALSE(info.Metadata.Cicp.has_value()) << "a profile rather than code points";
}

TEST(AvifFormat, SidesBeyondTheFormatAreRefused) {
    TBitmap tooWide;
    tooWide.SetPixelFormat(TPixelFormat::pf24bit);
    tooWide.SetSize(65537, 1);
    TMemoryStream out;
    EXPECT_THROW(AvifFormat.Encode(out, tooWide, {}), Exception);
}

}  // namespace
}  // namespace pictorand
