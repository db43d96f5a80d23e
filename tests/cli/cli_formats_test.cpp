// Today's formats end to end: files read by their content whatever their names, a folder of
// phone photos, pictures turned once, and the web's formats written as asked.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "formats/format_table.h"
#include "graphics/file_stream.h"
#include "reference_tools.h"
#include "test_images.h"

namespace pictorand {
namespace {

using testing::Quoted;
using testing::RunCli;
using testing::RunTool;
using testing::TCliResult;

void WriteAs(const char* format, const std::string& path, const TBitmap& picture) {
    testing::EncodeFile(OutputFormatNamed(format).Descriptor(), path, picture, {.Lossless = true, .Effort = 1});
}

// A WebP named .png, an AVIF named .jpg and a JPEG XL without an extension load by what
// they hold, and WebP, AVIF and JPEG XL are written at the quality asked for.
TEST(CliFormats, FilesLoadByContentAndTheWebsFormatsAreWritten) {
    testing::TTempDir dir;
    const TBitmap photo = testing::PhotoLike(80, 60);
    WriteAs("webp", dir.File("download.png"), photo);
    WriteAs("avif", dir.File("photo.jpg"), photo);
    WriteAs("jxl", dir.File("untitled"), photo);
    for (const char* format : {"webp", "avif", "jxl"}) {
        const std::string out = std::string("out-") + format;
        const TCliResult result = RunCli(dir, "-o " + out + " -f " + format + " -q 70 -s pixels:40 -n keep download.png photo.jpg untitled");
        ASSERT_EQ(result.status, 0) << result.errors;
        for (const char* name : {"download", "photo", "untitled"}) {
            const std::string path = dir.File(out + "/" + name + "." + format);
            const TBitmap written = testing::DecodeFile(*FindReadableFormat(std::string(".") + format), path);
            EXPECT_EQ(written.Width(), 40) << path;
            EXPECT_EQ(written.Height(), 30) << path;
        }
    }
    const TCliResult exact = RunCli(dir, "-o exact -f webp --exact download.png");
    EXPECT_EQ(exact.status, 2);
    EXPECT_NE(exact.errors.find("--exact"), std::string::npos) << exact.errors;
}

// iPhone photos in a folder are converted; a picture of a format not read here is a failure
// that names its format; other files are ignored.
TEST(CliFormats, AFolderOfPhonePhotosIsConverted) {
    PICTORAND_REQUIRE_TOOL("heif-enc", "libheif-examples");
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.File("DCIM"));
    testing::WritePng(dir.File("in.png"), testing::PhotoLike(64, 48));
    for (const char* name : {"IMG_0001.HEIC", "IMG_0002.heic"})
        ASSERT_TRUE(RunTool("heif-enc -q 50 " + Quoted(dir.File("in.png")) + " -o " + Quoted(dir.File(std::string("DCIM/") + name))));
    testing::WriteFileBytes(dir.File("DCIM/scan.pgm"), {'P', '5', '\n', '1', ' ', '1', '\n', '2', '5', '5', '\n', 0});
    testing::WriteFileBytes(dir.File("DCIM/notes.txt"), {'h', 'i', '\n'});
    const TCliResult result = RunCli(dir, "-o out -s pixels:32 -n keep DCIM");
    EXPECT_EQ(result.status, 1) << result.errors;
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/IMG_0001.jpg")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/IMG_0002.jpg")));
    EXPECT_NE(result.errors.find("a Netpbm picture: not a format we read"), std::string::npos) << result.errors;
    EXPECT_EQ(testing::LastLine(result.errors), "2 written, 0 skipped, 1 failed, 1 ignored");
}

// A picture the container turns comes out turned once, and the EXIF it carries on says it
// is upright.
TEST(CliFormats, PicturesTheContainerTurnsAreTurnedOnce) {
    PICTORAND_REQUIRE_TOOL("avifenc", "libavif-bin");
    testing::TTempDir dir;
    testing::WritePng(dir.File("in.png"), testing::PhotoLike(60, 40));
    testing::WriteFileBytes(dir.File("exif"), {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(RunTool("avifenc -s 10 --irot 1 --exif " + Quoted(dir.File("exif")) + " " + Quoted(dir.File("in.png")) + " " +
                        Quoted(dir.File("turned.avif"))));
    const TCliResult result = RunCli(dir, "-o out -s none -n keep --keep-metadata turned.avif");
    ASSERT_EQ(result.status, 0) << result.errors;
    const auto bytes = testing::ReadFileBytes(dir.File("out/turned.jpg"));
    const TImageInfo info = FindReadableFormat(".jpg")->Probe(bytes);
    EXPECT_EQ(info.Width, 40);
    EXPECT_EQ(info.Height, 60);
    EXPECT_FALSE(info.Metadata.Exif.empty());
    EXPECT_EQ(info.Metadata.Orientation, 1);
}

}  // namespace
}  // namespace pictorand
