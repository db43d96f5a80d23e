// Runs the pictorand-cli executable end to end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "graphics/bitmap.h"
#include "formats/wmf/metafile.h"
#include "formats/gif/gif_image.h"
#include "formats/jpeg/jpeg_image.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

struct TCliResult {
    int status;
    std::string errors;
};

TCliResult RunCli(const testing::TTempDir& dir, const std::string& arguments) {
    const std::string log = dir.File("stderr.txt");
    const std::string command = "cd '" + dir.Path().string() + "' && '" PICTORAND_CLI "' " + arguments + " 2> '" + log + "' < /dev/null";
    const int raw = std::system(command.c_str());
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
}

TBitmap Picture() {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(6, 4);
    bitmap.Fill(RGBColor(0, 90, 180));
    return bitmap;
}

TEST(CliRun, ConvertsBitmapsAndMetafiles) {
    testing::TTempDir dir;
    TBitmap picture = Picture();
    picture.SaveToFile(dir.File("a.bmp"));
    TMetafile metafile;
    metafile.RecordBitmap(picture);
    metafile.SaveToFile(dir.File("b.wmf"));

    const TCliResult result = RunCli(dir, "--output-dir out --format bmp --size none --naming keep a.bmp b.wmf");
    EXPECT_EQ(result.status, 0) << result.errors;
    TBitmap a, b;
    a.LoadFromFile(dir.File("out/a.bmp"));
    b.LoadFromFile(dir.File("out/b.bmp"));
    EXPECT_EQ(a.GetPixel(5, 3), RGBColor(0, 90, 180));
    EXPECT_EQ(b.Width(), 6);
    EXPECT_EQ(b.GetPixel(0, 0), RGBColor(0, 90, 180));
}

TEST(CliRun, UnreadableFileGivesTheLoadMessageAndStatusOne) {
    testing::TTempDir dir;
    Picture().SaveToFile(dir.File("good.bmp"));
    testing::WriteFileBytes(dir.File("bad.bmp"), {1, 2, 3});
    const TCliResult result = RunCli(dir, "--output-dir out --format bmp --naming keep bad.bmp good.bmp");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("Невозможно загрузить файл bad.bmp!"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("Bitmap image is not valid"), std::string::npos) << "the reader's own text follows";
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/good.bmp"))) << "the run goes on";
}

TEST(CliRun, FolderOfDamagedAndGoodFilesConvertsEveryGoodOne) {
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.File("in"));
    Picture().SaveToFile(dir.File("in/good1.bmp"));
    Picture().SaveToFile(dir.File("in/good2.bmp"));
    const std::map<std::string, std::vector<std::uint8_t>> damaged = {
        {"bad.gif", {'G', 'I', 'F', '8', '9', 'a', 1}},
        {"bad.jpg", {0xFF, 0xD8, 0xFF, 0x00, 0x13}},
        {"bad.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0}},
        {"bad.psd", {'8', 'B', 'P', 'S', 0, 1}},
        {"bad.tif", {'I', 'I', 42, 0, 8, 0, 0, 0}},
    };
    for (const auto& [name, bytes] : damaged) testing::WriteFileBytes(dir.File("in/" + name), bytes);

    const TCliResult result = RunCli(dir, "--output-dir out --format bmp --size none --naming keep in");
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/good1.bmp")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/good2.bmp")));
    for (const auto& [name, bytes] : damaged) {
        EXPECT_NE(result.errors.find("Невозможно загрузить файл " + name + "!"), std::string::npos) << name << result.errors;
    }
}

TEST(CliRun, ExistingOutputsAreKeptUnlessAskedToReplace) {
    testing::TTempDir dir;
    Picture().SaveToFile(dir.File("a.bmp"));
    std::filesystem::create_directories(dir.File("out"));
    testing::WriteFileBytes(dir.File("out/a.bmp"), {7});
    EXPECT_EQ(RunCli(dir, "--output-dir out --format bmp --naming keep a.bmp").status, 0);
    EXPECT_EQ(testing::ReadFileBytes(dir.File("out/a.bmp")).size(), 1u);
    EXPECT_EQ(RunCli(dir, "--output-dir out --format bmp --naming keep --overwrite always a.bmp").status, 0);
    EXPECT_GT(testing::ReadFileBytes(dir.File("out/a.bmp")).size(), 1u);
}

TEST(CliRun, ResizesIntoJpegGifAndPng) {
    testing::TTempDir dir;
    TBitmap large;
    large.SetPixelFormat(TPixelFormat::pf24bit);
    large.SetSize(400, 300);
    large.Fill(RGBColor(30, 120, 200));
    large.SaveToFile(dir.File("photo.bmp"));
    for (const char* format : {"jpg", "gif", "png"}) {
        const TCliResult result = RunCli(dir, std::string("--output-dir out --size pixels:100 --naming keep --format ") + format + " photo.bmp");
        EXPECT_EQ(result.status, 0) << format << result.errors;
    }
    const auto png = testing::ReadFileBytes(dir.File("out/photo.png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    TBitmap jpeg;
    {
        TJPEGImage image;
        image.LoadFromFile(dir.File("out/photo.jpg"));
        jpeg.Assign(image);
    }
    EXPECT_EQ(jpeg.Width(), 100);
    EXPECT_EQ(jpeg.Height(), 75);
    TGIFImage gif;
    gif.LoadFromFile(dir.File("out/photo.gif"));
    EXPECT_EQ(gif.Width(), 100);
    // The GIF goes back through the command line as a source too.
    EXPECT_EQ(RunCli(dir, "--output-dir again --size none --naming keep --format bmp out/photo.gif out/photo.jpg").status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.File("again/photo.bmp")));
}

TEST(CliRun, HugeClaimsFailFastAndTheCapCanBeRaised) {
    testing::TTempDir dir;
    // A Targa header claiming 60000 x 60000 true-colour pixels, followed by nothing.
    std::vector<std::uint8_t> tga(18, 0);
    tga[2] = 2;
    tga[12] = 0x60;
    tga[13] = 0xEA;
    tga[14] = 0x60;
    tga[15] = 0xEA;
    tga[16] = 24;
    testing::WriteFileBytes(dir.File("huge.tga"), tga);
    const TCliResult huge = RunCli(dir, "--output-dir out --format bmp huge.tga");
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.errors.find("Невозможно загрузить файл huge.tga!"), std::string::npos);

    TBitmap picture = Picture();
    picture.SetSize(1500, 1000);
    picture.SaveToFile(dir.File("big.bmp"));
    EXPECT_EQ(RunCli(dir, "--output-dir out --size none --format bmp --max-megapixels 1 big.bmp").status, 1);
    EXPECT_EQ(RunCli(dir, "--output-dir out --size none --format bmp --max-megapixels 2 big.bmp").status, 0);
}

std::map<std::string, std::vector<std::uint8_t>> Tree(const std::filesystem::path& root) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files[std::filesystem::relative(entry.path(), root).string()] = testing::ReadFileBytes(entry.path());
    return files;
}

TEST(CliRun, ParallelRunsMatchTheSingleThreadedRun) {
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.Path() / "src" / "sub");
    for (int i = 0; i < 9; ++i) {
        TBitmap picture = Picture();
        picture.SetSize(40 + i * 7, 30 + i);
        picture.SetPixel(i, i, RGBColor(255, static_cast<std::uint8_t>(i * 20), 0));
        picture.SaveToFile(dir.File("src/p" + std::to_string(i) + ".bmp"));
    }
    testing::WriteFileBytes(dir.File("src/broken.bmp"), {'B', 'M', 1, 2});
    std::filesystem::copy_file(dir.File("src/p1.bmp"), dir.File("src/sub/p1.bmp"));  // the same name twice
    testing::WriteFileBytes(dir.File("src/notes.txt"), {'x'});                         // not an image: left out
    for (const char* naming : {"thumb", "number"}) {
        const std::string common = std::string("--size pixels:25 --format png --recursive --naming ") + naming + " src";
        const TCliResult one = RunCli(dir, "--output-dir one --jobs 1 " + common);
        const TCliResult many = RunCli(dir, "--output-dir many --jobs 4 " + common);
        EXPECT_EQ(one.status, 1) << "the broken file fails";
        EXPECT_EQ(many.status, one.status);
        EXPECT_EQ(many.errors, one.errors);
        EXPECT_EQ(Tree(dir.Path() / "many"), Tree(dir.Path() / "one")) << naming;
        EXPECT_TRUE(std::filesystem::exists(dir.File(std::string("one/sub/") + (naming[0] == 't' ? "p1_thumb.png" : "11.png"))));
        EXPECT_NE(one.errors.find("Невозможно загрузить файл broken.bmp!"), std::string::npos);
        std::filesystem::remove_all(dir.Path() / "one");
        std::filesystem::remove_all(dir.Path() / "many");
    }
}

TEST(CliRun, BadUsageIsStatusTwo) {
    testing::TTempDir dir;
    EXPECT_EQ(RunCli(dir, "--format bmp a.bmp").status, 2);
    EXPECT_EQ(RunCli(dir, "--help").status, 0);
}

TEST(CliRun, RecursionVisitsEachRealFolderOnce) {
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.Path() / "a" / "b");
    for (const char* name : {"a/1.bmp", "a/b/2.bmp", "a/b/3.bmp"}) Picture().SaveToFile(dir.File(name));
    std::filesystem::create_directory_symlink("..", dir.Path() / "a" / "b" / "up");
    const TCliResult result = RunCli(dir, "--output-dir out --format bmp --size none --naming keep --recursive a");
    EXPECT_EQ(result.status, 0) << result.errors;
    int outputs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path() / "out")) outputs += entry.is_regular_file();
    EXPECT_EQ(outputs, 3);
}

TEST(CliRun, NameTextsThatMakePathsAreABadCommandLine) {
    testing::TTempDir dir;
    Picture().SaveToFile(dir.File("a.bmp"));
    for (const char* naming : {"fixed:/tmp/pictorand-escape", "fixed:../x", "word:a/b"}) {
        const TCliResult result = RunCli(dir, std::string("--output-dir out --format bmp --naming ") + naming + " a.bmp");
        EXPECT_EQ(result.status, 2) << naming;
        EXPECT_NE(result.errors.find("outside the output folder"), std::string::npos) << result.errors;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/pictorand-escape_1.bmp"));
}

}  // namespace
}  // namespace pictorand
