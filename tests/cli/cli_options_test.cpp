#include "cli/cli_options.h"
#include "engine/option_table.h"

#include <gtest/gtest.h>

#include "engine/settings_file.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

TCliOptions Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CliOptions, OptionsBecomeSettings) {
    const TCliOptions o = Parse({"--output-dir", "out", "--format", "tif", "--size", "custom:640x480", "--filter", "hermite",
                                 "--quality", "85", "--naming", "from:-5", "--logo", "l.png", "--logo-corner", "top-right",
                                 "a.jpg", "b.png"});
    EXPECT_EQ(o.OutputDir, "out");
    EXPECT_EQ(o.Files, (std::vector<std::string>{"a.jpg", "b.png"}));
    EXPECT_EQ(o.Settings.Format, OutputFormatNamed("tif"));
    EXPECT_EQ(o.Settings.Size, SizeMode::Custom);
    EXPECT_EQ(o.Settings.CustomWidthText, "640");
    EXPECT_EQ(o.Settings.CustomHeightText, "480");
    // "hermite" names the kernel, which the list item "Triangle Filter" uses.
    EXPECT_EQ(o.Settings.SelectedFilter(), ResampleFilter::Triangle);
    EXPECT_EQ(o.Settings.JpegQualityText(), "85");
    EXPECT_EQ(o.Settings.Naming, NamingMode::NumberFrom);
    EXPECT_EQ(o.Settings.StartNumberText, "-5");
    EXPECT_TRUE(o.Settings.LogoEnabled);
    EXPECT_EQ(o.Settings.LogoPosition, LogoCorner::TopRight);
    EXPECT_TRUE(o.Settings.WarnOnExisting);

    // The classic settings, with the photo options on; --exact turns them off again,
    // wherever it stands.
    ConversionSettings recommended;
    recommended.Photo = RecommendedOptions().Photo;
    recommended.Resample = RecommendedOptions().Resample;
    EXPECT_EQ(Parse({"--output-dir", "o", "x.bmp"}).Settings, recommended);
    EXPECT_EQ(Parse({"--exact", "--keep-metadata", "--output-dir", "o", "x.bmp"}).Settings, ConversionSettings{});
    const TCliOptions photo = Parse({"-o", "o", "--no-auto-orient", "--no-icc", "--no-alpha", "--keep-metadata", "--background", "#102030", "x"});
    EXPECT_EQ(photo.Settings.Photo, (TPhotoOptions{false, false, false, true, RGBColor(0x10, 0x20, 0x30), true}));
    EXPECT_EQ(Parse({"-o", "o", "--background", "black", "x"}).Settings.Photo.Background, clBlack);
    EXPECT_EQ(Parse({"-o", "o", "--shrink-on-load", "--sampling", "centre", "x"}).Settings.Resample,
              (TResampleOptions{.ShrinkOnLoad = true, .CentreGrid = true, .DrawAtOutputSize = true}));
    EXPECT_EQ(Parse({"-o", "o", "--linear", "--full-size-metafiles", "x"}).Settings.Resample, (TResampleOptions{.LinearLight = true}));
    EXPECT_EQ(Parse({"-o", "o", "--shrink-on-load", "--sampling", "centre", "--linear", "--exact", "x"}).Settings.Resample, TResampleOptions{});
    EXPECT_TRUE(Parse({"--output-dir", "o", "--overwrite", "always", "x"}).Settings.ReplaceSilently);
}

// Today's formats take any quality from 1 to 100, lossless coding where they have it and an
// effort; the JPEG list is untouched by them.
TEST(CliOptions, WebFormatsTakeAQualityAndAnEffort) {
    const TCliOptions webp = Parse({"-o", "o", "--format", "webp", "--quality", "55", "--effort", "9", "x"});
    EXPECT_EQ(webp.Settings.Format, OutputFormatNamed("webp"));
    EXPECT_EQ(webp.Settings.Encode, (TEncodeOptions{.Quality = 55, .Effort = 9}));
    EXPECT_EQ(Parse({"-o", "o", "--format", "jxl", "--lossless", "x"}).Settings.Encode, (TEncodeOptions{.Lossless = true}));
    const TCliOptions jpeg = Parse({"-o", "o", "--format", "jpg", "--quality", "60", "x"});
    EXPECT_EQ(jpeg.Settings.Encode, TEncodeOptions{});
}

TEST(CliOptions, BadCommandLinesAreUsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"a.bmp"},
        {"-o", "o", "--background", "#12345", "x"},
        {"-o", "o", "--background", "mauve", "x"},
        {"-o", "o", "--sampling", "middle", "x"},
        {"--output-dir", "o"},
        {"--output-dir", "o", "--format", "exr", "a"},
        {"--output-dir", "o", "--format", "webp", "--quality", "0", "a"},
        {"--output-dir", "o", "--format", "avif", "--quality", "101", "a"},
        {"--output-dir", "o", "--format", "avif", "--lossless", "a"},
        {"--output-dir", "o", "--format", "jxl", "--effort", "11", "a"},
        {"--output-dir", "o", "--format", "png", "--effort", "3", "a"},
        {"--output-dir", "o", "--format", "webp", "--exact", "a"},
        {"--output-dir", "o", "--size", "pixels:x", "a"},
        {"--output-dir", "o", "--size", "custom:5", "a"},
        {"--output-dir", "o", "--quality", "61", "a"},
        {"--output-dir", "o", "--naming", "word", "a"},
        {"--output-dir", "o", "--bogus", "a"},
        {"--output-dir"},
        {"--output-dir", "o", "--settings", "/nonexistent/Setting.dat", "a"},
    };
    for (const auto& args : bad) EXPECT_THROW(Parse(args), TUsageError) << args[args.size() - 2];
}

TEST(CliOptions, SettingsFileIsTheStartingPoint) {
    testing::TTempDir dir;
    ConversionSettings stored;
    stored.SetFormatButton(OutputFormatNamed("png"), true);
    stored.Naming = NamingMode::KeepName;
    WriteSettingsFile(dir.File("Setting.dat"), stored);
    const TCliOptions o = Parse({"--naming", "number", "--output-dir", "o", "--settings", dir.File("Setting.dat"), "a"});
    EXPECT_EQ(o.Settings.Format, OutputFormatNamed("png"));
    EXPECT_EQ(o.Settings.Naming, NamingMode::AutoNumber) << "options override the file whatever their order";
}

}  // namespace
}  // namespace pictorand
