// Runs the pictorand-cli executable end to end.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/preset_file.h"
#include "graphics/bitmap.h"
#include "formats/wmf/metafile.h"
#include "formats/gif/gif_image.h"
#include "formats/common/metadata_segments.h"
#include "formats/format_table.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/source_metadata_reader.h"
#include "graphics/stream.h"
#include "cli_runner.h"
#include "reference_tools.h"
#include "temp_dir.h"
#include "test_images.h"
#include "test_profiles.h"

namespace pictorand {
namespace {

using testing::LastLine;
using testing::RunCli;
using testing::TCliResult;
using testing::Tree;

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

// A set of settings the window saved starts the command line: its record, its format
// beyond the record's buttons and its options, which the command line's own flags override.
TEST(CliRun, ASavedSetOfSettingsIsReadByTheSettingsOption) {
    testing::TTempDir dir;
    Picture().SaveToFile(dir.File("a.bmp"));
    ConversionSettings record;
    record.Naming = NamingMode::KeepName;
    record.Size = SizeMode::NoResize;
    TExtraOptions options = RecommendedOptions();
    options.OutputFormat = "webp";
    options.Encode.Lossless = true;
    WritePresetFile(dir.File("web.pictorand"), record, options);
    const TCliResult result = RunCli(dir, "--output-dir out --settings web.pictorand a.bmp");
    ASSERT_EQ(result.status, 0) << result.errors;
    const TBitmap written = testing::DecodeFile(*FindReadableFormat(".webp"), dir.File("out/a.webp"));
    EXPECT_EQ(written.Width(), 6);
    EXPECT_EQ(written.GetPixel(5, 3), RGBColor(0, 90, 180)) << "lossless, as the set says";
    EXPECT_EQ(RunCli(dir, "--output-dir out2 --settings web.pictorand --format png a.bmp").status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "out2" / "a.png"));
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
    // The GIF and the JPEG go back through the command line as sources too; both would be
    // named photo.bmp, so the second keeps the first one's output and fails the run.
    const TCliResult again = RunCli(dir, "--output-dir again --size none --naming keep --format bmp out/photo.gif out/photo.jpg");
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.errors.find("skipped: out/photo.jpg: another source of this run already wrote this output"), std::string::npos)
        << again.errors;
    EXPECT_TRUE(std::filesystem::exists(dir.File("again/photo.bmp")));
    EXPECT_EQ(RunCli(dir, "--output-dir again --size none --naming word:j --format bmp out/photo.jpg").status, 0);
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
    // The refusal says the picture's size, the cap and how to raise it.
    EXPECT_NE(huge.errors.find("failed: huge.tga: 60000 × 60000 is 3600 MP, above the limit of 400 MP (--max-megapixels)"),
              std::string::npos)
        << huge.errors;
    EXPECT_EQ(RunCli(dir, "--output-dir out --max-megapixels 2001 huge.tga").status, 2) << "the largest cap is 2000 MP";

    TBitmap picture = Picture();
    picture.SetSize(1500, 1000);
    picture.SaveToFile(dir.File("big.bmp"));
    EXPECT_EQ(RunCli(dir, "--output-dir out --size none --format bmp --max-megapixels 1 big.bmp").status, 1);
    EXPECT_EQ(RunCli(dir, "--output-dir out --size none --format bmp --max-megapixels 2 big.bmp").status, 0);
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
        std::string manyErrors = many.errors;
        for (std::size_t at; (at = manyErrors.find("many/")) != std::string::npos;) manyErrors.replace(at, 5, "one/");
        EXPECT_EQ(manyErrors, one.errors);
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

TEST(CliRun, OutcomesSummaryAndExitStatuses) {
    testing::TTempDir dir;
    Picture().SaveToFile(dir.File("a.bmp"));
    Picture().SaveToFile(dir.File("b.bmp"));
    const std::string common = "--output-dir out --format bmp --size none --naming keep ";
    const TCliResult first = RunCli(dir, common + "a.bmp");
    EXPECT_EQ(first.status, 0);
    EXPECT_NE(first.errors.find("written: a.bmp -> out/a.bmp\n"), std::string::npos) << first.errors;
    EXPECT_EQ(LastLine(first.errors), "1 written, 0 skipped, 0 failed");

    // An output that exists is kept under the default policy, and that is a success.
    const TCliResult kept = RunCli(dir, common + "a.bmp b.bmp");
    EXPECT_EQ(kept.status, 0);
    EXPECT_NE(kept.errors.find("skipped: a.bmp: the output exists and was kept"), std::string::npos) << kept.errors;
    EXPECT_EQ(LastLine(kept.errors), "1 written, 1 skipped, 0 failed");

    // A name no reader takes, and a resize failure that used to print nothing.
    testing::WriteFileBytes(dir.File("c.xyz"), {1});
    const TCliResult failed = RunCli(dir, "--output-dir out2 --format bmp --size pixels:1 a.bmp c.xyz");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.errors.find("failed: a.bmp: cannot resize: "), std::string::npos) << failed.errors;
    EXPECT_NE(failed.errors.find("failed: c.xyz: no reader takes the extension .xyz"), std::string::npos) << failed.errors;
    EXPECT_EQ(LastLine(failed.errors), "0 written, 0 skipped, 2 failed");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out2/c.bmp")));
}

TEST(CliRun, ReportHasOneJsonLinePerSourceInListOrder) {
    testing::TTempDir dir;
    TBitmap picture = Picture();
    picture.SetSize(40, 20);
    picture.SaveToFile(dir.File("a b.bmp"));
    testing::WriteFileBytes(dir.File("bad.bmp"), {'B', 'M'});
    const TCliResult result =
        RunCli(dir, "--output-dir out --format png --size pixels:10 --report report.jsonl 'a b.bmp' bad.bmp gone.bmp");
    EXPECT_EQ(result.status, 1);
    std::ifstream in(dir.File("report.jsonl"));
    std::vector<nlohmann::json> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(lines.size(), 3u);
    const nlohmann::json& written = lines[0];
    EXPECT_EQ(written["source"], "a b.bmp");
    EXPECT_EQ(written["outcome"], "written");
    EXPECT_EQ(written["output"], "out/a b_thumb.png");
    EXPECT_TRUE(written["error"].is_null());
    EXPECT_EQ(written["width"], 40);
    EXPECT_EQ(written["height"], 20);
    EXPECT_EQ(written["output_width"], 10);
    EXPECT_EQ(written["output_height"], 5);
    EXPECT_EQ(written["bytes"], std::filesystem::file_size(dir.File("out/a b_thumb.png")));
    EXPECT_GE(written["ms"].get<double>(), 0.0);
    for (const nlohmann::json& line : {lines[1], lines[2]}) {
        EXPECT_EQ(line["outcome"], "failed");
        EXPECT_TRUE(line["output"].is_null());
        EXPECT_TRUE(line["error"].is_string());
    }
    EXPECT_EQ(lines[2]["source"], "gone.bmp");

    const TCliResult toStdout = RunCli(dir, "--output-dir out3 --format png --report - 'a b.bmp' > stdout.txt");
    EXPECT_EQ(toStdout.status, 0);
    std::ifstream out(dir.File("stdout.txt"));
    std::string line;
    std::getline(out, line);
    EXPECT_EQ(nlohmann::json::parse(line)["outcome"], "written");
}

TEST(CliRun, SourcesComeFromAListFileOrStandardInput) {
    testing::TTempDir dir;
    for (const char* name : {"a.bmp", "b c.bmp", "d.bmp"}) Picture().SaveToFile(dir.File(name));
    testing::WriteFileBytes(dir.File("list.txt"), {'a', '.', 'b', 'm', 'p', '\r', '\n', '\n', 'b', ' ', 'c', '.', 'b', 'm', 'p', '\n'});
    const std::string common = "--format bmp --size none --naming keep ";
    EXPECT_EQ(RunCli(dir, "--output-dir one " + common + "--files-from list.txt d.bmp").status, 0);
    EXPECT_EQ(Tree(dir.Path() / "one").size(), 3u);
    const std::string piped = "cd '" + dir.Path().string() + "' && printf 'a.bmp\\0d.bmp\\0' | '" PICTORAND_CLI "' --output-dir two " +
                              common + "--null --files-from - 2> /dev/null";
    EXPECT_EQ(std::system(piped.c_str()), 0);
    EXPECT_EQ(Tree(dir.Path() / "two").size(), 2u);
    EXPECT_EQ(RunCli(dir, "--output-dir four " + common + "--files-from missing.txt").status, 1) << "a list that cannot be read is a failure";
}

TEST(CliRun, InterruptStopsBetweenFilesWithStatus130) {
    testing::TTempDir dir;
    Picture().SaveToFile(dir.File("a.bmp"));
    // The list comes from a pipe that stays open, so the program is still reading it
    // when the interrupt arrives.
    std::ofstream(dir.File("interrupt.sh")) << "cd '" << dir.Path().string() << "'\n"
                                            << "mkfifo list\n"
                                            << "'" PICTORAND_CLI "' --output-dir out --format bmp --files-from list 2> err.txt &\n"
                                            << "pid=$!\n"
                                            << "exec 3> list\n"
                                            << "printf 'a.bmp\\n' >&3\n"
                                            << "sleep 1\n"
                                            << "kill -INT $pid\n"
                                            << "wait $pid\n"
                                            << "echo $? > status.txt\n"
                                            << "exec 3>&-\n";
    ASSERT_EQ(std::system(("bash '" + dir.File("interrupt.sh") + "'").c_str()), 0);
    std::ifstream status(dir.File("status.txt"));
    int code = 0;
    status >> code;
    EXPECT_EQ(code, 130);
    std::ifstream errors(dir.File("err.txt"));
    std::stringstream text;
    text << errors.rdbuf();
    EXPECT_NE(text.str().find("failed: a.bmp: not converted: the run was interrupted"), std::string::npos) << text.str();
    EXPECT_EQ(LastLine(text.str()), "0 written, 0 skipped, 1 failed");
    EXPECT_TRUE(!std::filesystem::exists(dir.Path() / "out") || std::filesystem::is_empty(dir.Path() / "out"));
}

TEST(CliRun, HelpNamesEveryDefaultAndNamingExample) {
    testing::TTempDir dir;
    const TCliResult help = RunCli(dir, "--help > help.txt");
    EXPECT_EQ(help.status, 0);
    std::ifstream in(dir.File("help.txt"));
    std::stringstream text;
    text << in.rdbuf();
    for (const char* expected : {"(default jpg)", "(default pixels:100)", "(default lanczos3)", "(default 60)", "(default thumb)",
                                 "never (default)", "(default bottom-left)", "(default 400)", "photo_thumb.jpg", "1.jpg, 2.jpg",
                                 "photo_TEXT.jpg", "TEXT_1.jpg", "photo.jpg", "--files-from", "--report", "130"}) {
        EXPECT_NE(text.str().find(expected), std::string::npos) << expected;
    }
}


// A 60 x 40 landscape JPEG whose EXIF says it is to be shown turned a quarter clockwise,
// made by the writers and the metadata segments themselves.
void WritePortraitPhoto(const std::string& path) {
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetSize(60, 40);
    picture.Fill(RGBColor(30, 120, 60));
    TMemoryStream jpeg;
    OutputFormatNamed("jpg")->Encode(jpeg, picture, {90});
    TSourceMetadata metadata;
    // IFD0: the camera make "Cam" and orientation 6.
    metadata.Exif = {'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0, 0x0F, 1, 2, 0, 4, 0, 0, 0, 'C', 'a', 'm', 0,
                     0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
    testing::WriteFileBytes(path, JpegWithMetadata(jpeg.Bytes(), metadata));
}

TEST(CliRun, PhotosComeOutUprightWithTheirMetadataOnRequestAndExactGivesTheClassicBytes) {
    testing::TTempDir dir;
    WritePortraitPhoto(dir.File("photo.jpg"));
    ASSERT_EQ(RunCli(dir, "-o upright --size none photo.jpg").status, 0);
    ASSERT_EQ(RunCli(dir, "-o kept --size none --keep-metadata photo.jpg").status, 0);
    ASSERT_EQ(RunCli(dir, "-o exact --size none --keep-metadata --exact photo.jpg").status, 0);
    ASSERT_EQ(RunCli(dir, "-o classic --size none --no-auto-orient --no-icc --no-alpha photo.jpg").status, 0);
    TJPEGImage upright;
    upright.LoadFromFile(dir.File("upright/photo_thumb.jpg"));
    EXPECT_EQ(upright.Width(), 40) << "shown as a portrait";
    EXPECT_EQ(upright.Height(), 60);

    const auto kept = ReadSourceMetadata(testing::ReadFileBytes(dir.File("kept/photo_thumb.jpg")));
    EXPECT_EQ(kept.Orientation, 1) << "the pixels are upright now";
    EXPECT_NE(std::search(kept.Exif.begin(), kept.Exif.end(), std::begin("Cam"), std::end("Cam") - 1), kept.Exif.end()) << "the camera make is kept";
    EXPECT_TRUE(ReadSourceMetadata(testing::ReadFileBytes(dir.File("upright/photo_thumb.jpg"))).Exif.empty()) << "metadata is stripped by default";

    const auto exact = testing::ReadFileBytes(dir.File("exact/photo_thumb.jpg"));
    EXPECT_EQ(exact, testing::ReadFileBytes(dir.File("classic/photo_thumb.jpg"))) << "--exact turns every photo option off";
    TJPEGImage classic;
    classic.LoadFromFile(dir.File("exact/photo_thumb.jpg"));
    EXPECT_EQ(classic.Width(), 60) << "--exact keeps the stored orientation";
}

// Pixels left in their source's colours carry its profile, so that they are shown right;
// converted pixels carry none, and neither do --no-profile and --exact.
TEST(CliRun, UnconvertedPixelsCarryTheirProfile) {
    testing::TTempDir dir;
    TMemoryStream png;
    OutputFormatNamed("png")->Encode(png, testing::Solid(8, 6, RGBColor(200, 0, 0)), {});
    TSourceMetadata adobe;
    adobe.IccProfile = testing::AdobeRgbProfile();
    testing::WriteFileBytes(dir.File("wide.png"), PngWithMetadata(png.Bytes(), adobe));
    for (const char* format : {"png", "jpg", "tif"}) {
        const std::string common = std::string(" --size none -n keep -f ") + format + " wide.png";
        ASSERT_EQ(RunCli(dir, "-o kept --no-icc" + common).status, 0);
        ASSERT_EQ(RunCli(dir, "-o converted" + common).status, 0);
        ASSERT_EQ(RunCli(dir, "-o stripped --no-icc --no-profile" + common).status, 0);
        ASSERT_EQ(RunCli(dir, "-o exact --exact" + common).status, 0);
        const auto profileOf = [&](const std::string& folder) {
            return FindReadableFormat(std::string(".") + format)->Probe(testing::ReadFileBytes(dir.File(folder + "/wide." + format))).Metadata.IccProfile;
        };
        EXPECT_EQ(profileOf("kept"), adobe.IccProfile) << format;
        EXPECT_TRUE(profileOf("converted").empty()) << format;
        EXPECT_TRUE(profileOf("stripped").empty()) << format;
        EXPECT_TRUE(profileOf("exact").empty()) << format;
    }
}

}  // namespace
}  // namespace pictorand
