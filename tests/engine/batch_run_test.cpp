#include "engine/batch_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <set>
#include <thread>

#include <lcms2.h>

#include "formats/jpeg/jpeg_image.h"
#include "formats/png/png_graphic.h"
#include "independent_decoder.h"
#include "png_builder.h"
#include "scripted_host.h"
#include "test_images.h"
#include "temp_dir.h"
#include "test_profiles.h"

namespace pictorand {
namespace {

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        out_ = dir_.Path() / "out";
        std::filesystem::create_directories(out_);
        settings_.Settings().Format = OutputFormatNamed("bmp");
        settings_.Settings().Size = SizeMode::NoResize;
    }

    std::string Good(const std::string& name) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        bitmap.SetSize(4, 3);
        bitmap.Fill(RGBColor(10, 20, 30));
        bitmap.SaveToFile(dir_.File(name));
        return dir_.File(name);
    }
    std::string Bad(const std::string& name) {
        testing::WriteFileBytes(dir_.File(name), {'n', 'o', 'p', 'e'});
        return dir_.File(name);
    }
    TRunSummary Run(const std::vector<std::string>& files) {
        TBatchRun run(host_, settings_);
        run.OutputFolder = [this] { return out_.string(); };
        return run.ResizeImage(files);
    }
    // The names in a folder (the output folder by default), sorted.
    std::vector<std::string> Outputs(const std::filesystem::path& folder = {}) const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder.empty() ? out_ : folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::TTempDir dir_;
    std::filesystem::path out_;
    TFixedSettings settings_;
    testing::TScriptedHost host_;
};

TEST_F(BatchRun, UnreadableMiddleFileIsSkippedAfterYes) {
    settings_.Settings().Naming = NamingMode::AutoNumber;
    const TRunSummary summary = Run({Good("a.bmp"), Bad("b.bmp"), Good("c.bmp")});
    EXPECT_EQ(Outputs(), (std::vector<std::string>{"1.bmp", "3.bmp"}));
    EXPECT_EQ(host_.Progress, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(host_.Messages, (std::vector<std::string>{"Невозможно загрузить файл b.bmp!"}));
    EXPECT_EQ(host_.Questions, (std::vector<std::string>{"Продолжить обработку других файлов?"}));
    EXPECT_EQ(summary.Written, 2);
    EXPECT_EQ(summary.Failed, 1);
    EXPECT_FALSE(summary.Ended);
}

TEST_F(BatchRun, ProgressIsTruncatedPercentOfFilesDone) {
    std::vector<std::string> files;
    for (int i = 0; i < 7; ++i) files.push_back(Good("f" + std::to_string(i) + ".bmp"));
    Run(files);
    EXPECT_EQ(host_.Progress, (std::vector<int>{14, 28, 42, 57, 71, 85, 100}));
    EXPECT_EQ(Outputs().size(), 7u);
    EXPECT_EQ(Outputs().front(), "f0_thumb.bmp");
}

TEST_F(BatchRun, FailuresAtTheEndAskNothing) {
    Run({Good("a.bmp"), Bad("b.bmp")});
    EXPECT_EQ(host_.Messages.size(), 1u);
    EXPECT_TRUE(host_.Questions.empty());
    EXPECT_EQ(host_.Progress, (std::vector<int>{50}));

    testing::TScriptedHost single;
    TBatchRun run(single, settings_);
    run.OutputFolder = [this] { return out_.string(); };
    const TRunSummary summary = run.ResizeImage({Bad("only.bmp")});
    EXPECT_EQ(single.Messages, (std::vector<std::string>{"Невозможно загрузить файл only.bmp!"}));
    EXPECT_TRUE(single.Questions.empty());
    EXPECT_EQ(summary.Failed, 1);
}

TEST_F(BatchRun, AnsweringNoEndsTheRun) {
    host_.Answers = {false};
    const TRunSummary summary = Run({Bad("a.bmp"), Good("b.bmp")});
    EXPECT_TRUE(Outputs().empty());
    EXPECT_TRUE(summary.Ended);
    EXPECT_TRUE(host_.Progress.empty());
}

TEST_F(BatchRun, ResizeFailureAsksWithTheFileName) {
    settings_.Settings().Size = SizeMode::FitPixels;
    settings_.Settings().MaxSideText = "1.5";
    host_.Answers = {false};
    const TRunSummary summary = Run({Good("a.bmp"), Good("b.bmp")});
    EXPECT_EQ(host_.Questions,
              (std::vector<std::string>{"Ошибка изменения размера файла a.bmp! \rПродолжить обработку других файлов?"}));
    EXPECT_TRUE(summary.Ended);
    EXPECT_TRUE(Outputs().empty());
}

TEST_F(BatchRun, NumberingStartsFromTheStartText) {
    settings_.Settings().Naming = NamingMode::NumberFrom;
    settings_.Settings().StartNumberText = "-5";
    Run({Good("a.bmp"), Good("b.bmp")});
    EXPECT_EQ(Outputs(), (std::vector<std::string>{"-4.bmp", "-5.bmp"}));
}

TEST_F(BatchRun, StartTextThatIsNoNumberEndsTheRunBeforeTheFirstFile) {
    settings_.Settings().Naming = NamingMode::NumberFrom;
    settings_.Settings().StartNumberText = "x";
    const TRunSummary summary = Run({Good("a.bmp")});
    EXPECT_EQ(host_.Errors, (std::vector<std::string>{"'x' is not a valid integer value"}));
    EXPECT_TRUE(Outputs().empty());
    EXPECT_TRUE(summary.Escaped);
}

TEST_F(BatchRun, MissingOutputFolderFailsEverySourceSaidOnce) {
    out_ = dir_.Path() / "missing";
    const TRunSummary summary = Run({Good("a.bmp"), Good("b.bmp")});
    ASSERT_EQ(host_.Errors.size(), 1u);
    EXPECT_NE(host_.Errors[0].find("missing"), std::string::npos) << host_.Errors[0];
    EXPECT_TRUE(summary.Escaped);
    EXPECT_EQ(summary.Written, 0);
    EXPECT_EQ(summary.Failed, 2);
    ASSERT_EQ(host_.Outcomes.size(), 2u);
    EXPECT_NE(host_.Outcomes[1].Error.find("the output folder cannot be used"), std::string::npos) << host_.Outcomes[1].Error;
    EXPECT_TRUE(host_.Progress.empty());
}

// Moves the output folder aside after the first file and leaves a plain file in its place,
// which no user, root included, can write into.
class TFolderVanishingHost : public testing::TScriptedHost {
public:
    TFolderVanishingHost(std::filesystem::path folder, std::filesystem::path aside)
        : folder_(std::move(folder)), aside_(std::move(aside)) {}
    void SetProgress(int percent) override {
        TScriptedHost::SetProgress(percent);
        if (Progress.size() != 1) return;
        std::filesystem::rename(folder_, aside_);
        testing::WriteFileBytes(folder_, {0});
    }

private:
    std::filesystem::path folder_;
    std::filesystem::path aside_;
};

TEST_F(BatchRun, OutputFolderVanishingMidRunEndsTheRunAndKeepsEveryFile) {
    settings_.Settings().Naming = NamingMode::KeepName;
    settings_.Settings().SetReplaceSilently(true);
    for (const int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        std::filesystem::remove_all(out_);
        const std::filesystem::path aside = dir_.Path() / ("aside" + std::to_string(jobs));
        std::filesystem::create_directories(out_);
        testing::WriteFileBytes(out_ / "b.bmp", {7, 7});
        TFolderVanishingHost host(out_, aside);
        TBatchRun run(host, settings_);
        run.OutputFolder = [this] { return out_.string(); };
        const TRunSummary summary =
            run.ResizeImage(std::vector<TSourceEntry>{{.Path = Good("a.bmp")}, {.Path = Good("b.bmp")}, {.Path = Good("c.bmp")}},
                            jobs);
        ASSERT_EQ(host.Errors.size(), 1u) << "the lost folder is said once";
        EXPECT_NE(host.Errors[0].find("is gone or cannot be written"), std::string::npos) << host.Errors[0];
        EXPECT_TRUE(summary.Ended);
        EXPECT_EQ(summary.Written, 1);
        EXPECT_EQ(summary.Failed, 2);
        EXPECT_EQ(host.Progress, (std::vector<int>{33}));
        EXPECT_EQ(Outputs(aside), (std::vector<std::string>{"a.bmp", "b.bmp"})) << "no temporary file is left behind";
        EXPECT_EQ(testing::ReadFileBytes(aside / "b.bmp"), (std::vector<std::uint8_t>{7, 7}));
        EXPECT_EQ(testing::ReadFileBytes(out_), (std::vector<std::uint8_t>{0}));
    }
}

TEST_F(BatchRun, ExistingOutputsFollowTheOverwritePolicy) {
    settings_.Settings().Naming = NamingMode::KeepName;
    testing::WriteFileBytes(out_ / "a.bmp", {1});
    host_.Answers = {false};
    Run({Good("a.bmp")});
    EXPECT_EQ(host_.Questions, (std::vector<std::string>{"Файл существует! Заменить?"}));
    EXPECT_EQ(testing::ReadFileBytes(out_ / "a.bmp").size(), 1u) << "No keeps the file";

    host_.Answers = {true};
    Run({Good("a.bmp")});
    EXPECT_GT(testing::ReadFileBytes(out_ / "a.bmp").size(), 1u);

    testing::WriteFileBytes(out_ / "a.bmp", {1});
    settings_.Settings().SetReplaceSilently(true);
    host_.Questions.clear();
    Run({Good("a.bmp")});
    EXPECT_TRUE(host_.Questions.empty());
    EXPECT_GT(testing::ReadFileBytes(out_ / "a.bmp").size(), 1u);
}

TEST_F(BatchRun, IconsAreFittedTo32PixelsWhateverTheSizeRule) {
    settings_.Settings().Format = OutputFormatNamed("ico");
    settings_.Settings().Naming = NamingMode::KeepName;
    Run({Good("a.bmp")});
    const auto bytes = testing::ReadFileBytes(out_ / "a.ico");
    ASSERT_GT(bytes.size(), 22u);
    EXPECT_EQ(bytes[6], 32) << "width";
    EXPECT_EQ(bytes[7], 24) << "height of a 4 x 3 source";
    EXPECT_TRUE(host_.Errors.empty());
}

TEST_F(BatchRun, LogoIsStampedIntoTheChosenCorner) {
    settings_.Settings().Naming = NamingMode::KeepName;
    settings_.Settings().LogoEnabled = true;
    settings_.Settings().LogoPosition = LogoCorner::BottomRight;
    TBitmap logo;
    logo.SetPixelFormat(TPixelFormat::pf24bit);
    logo.SetSize(2, 1);
    logo.Fill(clWhite);
    logo.SetPixel(1, 0, RGBColor(255, 0, 0));
    logo.SaveToFile(dir_.File("logo.bmp"));
    TBatchRun run(host_, settings_);
    run.OutputFolder = [this] { return out_.string(); };
    run.LogoFileName = [this] { return dir_.File("logo.bmp"); };
    run.ResizeImage({Good("a.bmp")});
    TBitmap result;
    result.LoadFromFile((out_ / "a.bmp").string());
    // Offsets use the longer side (2): the logo sits at (2, 1) on the 4 x 3 image.
    EXPECT_EQ(result.GetPixel(3, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(result.GetPixel(2, 1), RGBColor(10, 20, 30)) << "white is the transparent colour";

    run.LogoFileName = [this] { return dir_.File("missing.bmp"); };
    const TRunSummary summary = run.ResizeImage({Good("a.bmp"), Good("b.bmp")});
    EXPECT_EQ(host_.Messages.back(), "Невозможно загрузить файл логотипа!");
    EXPECT_TRUE(summary.Ended) << "a logo failure stops the run without a prompt";
    EXPECT_TRUE(host_.Questions.empty());
}

// The window's preview: the picture at the size the run makes it, with the logo, and the
// very bytes the run writes, yet nothing written and nothing asked; a failing stage gives
// its reason.
TEST_F(BatchRun, APreviewIsWhatTheRunWritesWithoutWritingOrAsking) {
    settings_.Settings().Format = OutputFormatNamed("jpg");
    settings_.Settings().Naming = NamingMode::KeepName;
    settings_.Settings().Size = SizeMode::FitPixels;
    settings_.Settings().MaxSideText = "40";
    settings_.Settings().LogoEnabled = true;
    settings_.Settings().LogoPosition = LogoCorner::TopLeft;
    testing::PhotoLike(120, 80).SaveToFile(dir_.File("photo.bmp"));
    TBitmap logo;
    logo.SetPixelFormat(TPixelFormat::pf24bit);
    logo.SetSize(6, 4);
    logo.Fill(RGBColor(0, 0, 255));
    logo.SaveToFile(dir_.File("logo.bmp"));
    TBatchRun run(host_, settings_);
    run.OutputFolder = [this] { return out_.string(); };
    run.LogoFileName = [this] { return dir_.File("logo.bmp"); };
    const TPreparedFile preview = run.Preview({.Path = dir_.File("photo.bmp")});
    ASSERT_EQ(preview.Failure, TFileFailure::None) << preview.Error;
    EXPECT_EQ(preview.Width, 120);
    EXPECT_EQ(preview.OutputWidth, 40);
    EXPECT_EQ(preview.OutputHeight, 27);
    ASSERT_TRUE(preview.Target);
    EXPECT_EQ(preview.Target->Width(), 40);
    ASSERT_TRUE(preview.Encoded);
    EXPECT_TRUE(Outputs().empty()) << "a preview writes nothing";
    EXPECT_TRUE(host_.Messages.empty() && host_.Questions.empty());

    run.ResizeImage({dir_.File("photo.bmp")});
    EXPECT_EQ(testing::ReadFileBytes(out_ / "photo.jpg"), preview.Encoded->Bytes);

    run.LogoFileName = [this] { return dir_.File("missing.bmp"); };
    const TPreparedFile failed = run.Preview({.Path = dir_.File("photo.bmp")});
    EXPECT_EQ(failed.Failure, TFileFailure::Logo);
    EXPECT_FALSE(failed.Error.empty());
    EXPECT_EQ(run.Preview({.Path = Bad("bad.bmp")}).Failure, TFileFailure::Load);
    EXPECT_TRUE(host_.Messages.empty()) << "a failing preview says nothing either";
}

TEST_F(BatchRun, ColonsAndBackslashesAreOrdinaryCharactersOfNames) {
    settings_.Settings().Naming = NamingMode::AddThumb;
    const TRunSummary summary = Run({Good("12:30 shot.bmp"), Good("13:30 shot.bmp"), Good("a\\b.bmp")});
    EXPECT_EQ(summary.Written, 3);
    EXPECT_EQ(Outputs(), (std::vector<std::string>{"12:30 shot_thumb.bmp", "13:30 shot_thumb.bmp", "a\\b_thumb.bmp"}));
}

TEST_F(BatchRun, NameTextsThatMakePathsAreRefusedBeforeAnythingIsWritten) {
    struct Case { NamingMode naming; const char* text; bool refused; };
    const Case cases[] = {
        {NamingMode::FixedName, "/tmp/x", true}, {NamingMode::FixedName, "../x", true}, {NamingMode::AddWord, "a/b", true},
        {NamingMode::AddWord, "..", true},       {NamingMode::AddWord, "v1.2", false},  {NamingMode::FixedName, "trip", false},
        {NamingMode::AddThumb, "/ignored", false},
    };
    for (const Case& c : cases) {
        ConversionSettings s;
        s.Naming = c.naming;
        s.AddedWordText = s.FixedNameText = c.text;
        EXPECT_EQ(!RefusedNameText(s).empty(), c.refused) << c.text;
    }
    settings_.Settings().Naming = NamingMode::FixedName;
    settings_.Settings().FixedNameText = "../escaped";
    const TRunSummary summary = Run({Good("a.bmp")});
    EXPECT_TRUE(summary.Ended);
    EXPECT_EQ(summary.Written, 0);
    ASSERT_EQ(host_.Errors.size(), 1u);
    EXPECT_EQ(host_.Errors[0], "Текст «../escaped» в имени файла вывел бы файлы за пределы папки-получателя: в нём не может быть «/» и «..»!")
        << "the window says it in Russian";
    EXPECT_TRUE(Outputs().empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "escaped_1.bmp"));
}

TEST_F(BatchRun, RunningNumberWrapsAtThe32BitLimit) {
    settings_.Settings().Naming = NamingMode::NumberFrom;
    settings_.Settings().StartNumberText = "2147483647";
    EXPECT_EQ(Run({Good("a.bmp"), Good("b.bmp")}).Written, 2);
    EXPECT_EQ(Outputs(), (std::vector<std::string>{"-2147483648.bmp", "2147483647.bmp"}));
}

TEST_F(BatchRun, AnOutputThatReplacesALaterSourceIsWrittenBeforeThatSourceIsRead) {
    // a.bmp becomes a.png, which replaces the next source; one thread reads the converted
    // file (and then keeps the first output, whose name it would take), and so must every
    // number of threads.
    for (const int jobs : {1, 2, 3}) {
        SCOPED_TRACE(jobs);
        const std::filesystem::path folder = dir_.Path() / ("jobs" + std::to_string(jobs));
        std::filesystem::create_directories(folder);
        TBitmap red, blue;
        for (auto [bitmap, colour] : {std::pair{&red, RGBColor(200, 0, 0)}, std::pair{&blue, RGBColor(0, 0, 200)}}) {
            bitmap->SetPixelFormat(TPixelFormat::pf24bit);
            bitmap->SetSize(2, 2);
            bitmap->Fill(colour);
        }
        red.SaveToFile((folder / "a.bmp").string());
        testing::WriteFileBytes(folder / "a.png", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
        settings_.Settings().Format = OutputFormatNamed("png");
        settings_.Settings().Naming = NamingMode::KeepName;
        settings_.Settings().SetReplaceSilently(true);
        TBatchRun run(host_, settings_);
        run.OutputFolder = [folder] { return folder.string(); };
        const TRunSummary summary = run.ResizeImage(
            std::vector<TSourceEntry>{{.Path = (folder / "a.bmp").string()}, {.Path = (folder / "a.png").string()}}, jobs);
        EXPECT_EQ(summary.Written, 1);
        EXPECT_EQ(summary.Failed, 0) << "the second source is the first one's output, a good PNG";
        EXPECT_EQ(summary.NamesTaken, 1);
    }
}

// "kind: error" for every outcome, in list order.
std::vector<std::string> Kinds(const std::vector<TFileOutcome>& outcomes) {
    std::vector<std::string> kinds;
    for (const TFileOutcome& o : outcomes) kinds.push_back(std::string(OutcomeName(o.Kind)) + (o.Error.empty() ? "" : ": " + o.Error));
    return kinds;
}

TEST_F(BatchRun, EverySourceEndsInOneReportedOutcome) {
    settings_.Settings().Naming = NamingMode::KeepName;
    Good("kept.bmp");
    std::filesystem::copy_file(dir_.File("kept.bmp"), out_ / "kept.bmp");
    testing::WriteFileBytes(dir_.File("notes.txt"), {'h', 'i'});
    std::filesystem::create_directories(dir_.Path() / "sub");
    const std::string twin = (dir_.Path() / "sub" / "a.bmp").string();
    std::filesystem::copy_file(Good("a.bmp"), twin);
    host_.Answers = {true, false};  // go on after b.bmp; keep the existing output
    const TRunSummary summary = Run({dir_.File("a.bmp"), Bad("b.bmp"), dir_.File("kept.bmp"), dir_.File("notes.txt"), twin});
    EXPECT_EQ(Kinds(host_.Outcomes), (std::vector<std::string>{
                                          "written",
                                          "failed: Bitmap image is not valid",
                                          "skipped: the output exists and was kept",
                                          "failed: no reader takes the extension .txt",
                                          "skipped: another source of this run already wrote this output",
                                      }));
    const TFileOutcome& written = host_.Outcomes[0];
    EXPECT_EQ(written.Source, dir_.File("a.bmp"));
    EXPECT_EQ(written.Output, (out_ / "a.bmp").string());
    EXPECT_EQ(written.Bytes, std::filesystem::file_size(out_ / "a.bmp"));
    EXPECT_EQ(std::pair(written.Width, written.Height), std::pair(4, 3));
    EXPECT_EQ(std::pair(written.OutputWidth, written.OutputHeight), std::pair(4, 3));
    EXPECT_TRUE(host_.Outcomes[4].NameTaken);
    EXPECT_EQ(summary.Written, 1);
    EXPECT_EQ(summary.Skipped, 2);
    EXPECT_EQ(summary.Failed, 2);
    EXPECT_EQ(summary.NamesTaken, 1);
    EXPECT_FALSE(std::filesystem::exists(out_ / "notes.bmp")) << "no empty picture is written for a file no reader takes";
}

TEST_F(BatchRun, SourcesARunDoesNotReachFailWithTheReason) {
    settings_.Settings().Size = SizeMode::FitPixels;
    settings_.Settings().MaxSideText = "1";  // a 4 x 3 source cannot be made 1 x 0
    host_.Answers = {false};
    const TRunSummary summary = Run({Good("a.bmp"), Good("b.bmp"), Good("c.bmp")});
    ASSERT_EQ(host_.Outcomes.size(), 3u);
    EXPECT_EQ(host_.Outcomes[0].Kind, TOutcome::Failed);
    EXPECT_EQ(host_.Outcomes[0].Error.rfind("cannot resize: ", 0), 0u) << host_.Outcomes[0].Error;
    EXPECT_EQ(Kinds(host_.Outcomes)[1], "failed: not converted: the run ended before this file");
    EXPECT_EQ(summary.Failed, 3);

    testing::TScriptedHost stopping;
    stopping.CancelAfter = 1;
    settings_.Settings().Size = SizeMode::NoResize;
    TBatchRun run(stopping, settings_);
    run.OutputFolder = [this] { return out_.string(); };
    const TRunSummary stopped = run.ResizeImage({Good("a.bmp"), Good("b.bmp"), Good("c.bmp")});
    EXPECT_TRUE(stopped.Cancelled);
    EXPECT_EQ(Kinds(stopping.Outcomes), (std::vector<std::string>{"written", "failed: not converted: the run was interrupted",
                                                                   "failed: not converted: the run was interrupted"}));
}

TEST_F(BatchRun, APictureTooLargeForItsFormatFailsAloneWithTheFieldNamed) {
    settings_.Settings().Format = OutputFormatNamed("gif");
    settings_.Settings().Naming = NamingMode::KeepName;
    TBitmap wide;
    wide.SetPixelFormat(TPixelFormat::pf8bit);
    wide.SetSize(70000, 1);
    wide.SaveToFile(dir_.File("wide.bmp"));
    const TRunSummary summary = Run({dir_.File("wide.bmp"), Good("b.bmp")});
    EXPECT_EQ(Kinds(host_.Outcomes),
              (std::vector<std::string>{"failed: cannot write: Cannot write GIF: the screen width 70000 does not fit its field, which "
                                        "holds 0 to 65535",
                                        "written"}));
    EXPECT_EQ(Outputs(), (std::vector<std::string>{"b.gif"})) << "nothing of the wide picture is left";
    EXPECT_FALSE(summary.Escaped);
}


// The resampling options give the same bytes on any number of threads, and a JPEG
// decoded at a reduced size stays close to the whole decode with the same filter.
TEST_F(BatchRun, ShrinkOnLoadAndTheCentreGridAreStableAcrossThreadsAndCloseToTheWholeDecode) {
    TJPEGImage jpeg;
    jpeg.Assign(testing::PhotoLike(1200, 800));
    jpeg.Options.Quality = 95;
    jpeg.SaveToFile(dir_.File("photo.jpg"));
    settings_.Settings().Format = OutputFormatNamed("png");
    settings_.Settings().Size = SizeMode::FitPixels;
    settings_.Settings().MaxSideText = "140";
    auto convert = [&](const std::string& folder, bool shrink, bool centre, int jobs) {
        std::filesystem::create_directories(dir_.Path() / folder);
        settings_.Settings().Resample = {shrink, centre};
        TBatchRun run(host_, settings_);
        run.OutputFolder = [this, folder] { return (dir_.Path() / folder).string(); };
        EXPECT_EQ(run.ResizeImage(std::vector<TSourceEntry>{{.Path = dir_.File("photo.jpg")}}, jobs).Written, 1);
        return testing::ReadFileBytes(dir_.Path() / folder / "photo_thumb.png");
    };
    for (const bool centre : {false, true}) {
        SCOPED_TRACE(centre ? "centre grid" : "classic grid");
        const auto oneThread = convert("one", true, centre, 1);
        EXPECT_EQ(convert("two", true, centre, 2), oneThread);
        convert("whole", false, centre, 1);
        TPNGGraphic shrunk, whole;
        shrunk.LoadFromFile((dir_.Path() / "one" / "photo_thumb.png").string());
        whole.LoadFromFile((dir_.Path() / "whole" / "photo_thumb.png").string());
        ASSERT_EQ(shrunk.Width(), 140);
        EXPECT_GE(testing::Psnr(shrunk, whole), 38.0);
    }
}

// A 16-bit ramp tagged with a flat-shadowed profile (sRGB's primaries, gamma 1.8): cut to
// 8 bits first, the shadows spread over the sRGB levels with gaps between them; converted
// whole, every level Little CMS finds in double precision is there, each within one.
TEST_F(BatchRun, SixteenBitSourcesConvertThroughTheirProfileBeforeTheOneRounding) {
    const auto profile = testing::RgbGammaProfile({{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}}, 1.8);
    constexpr int Width = 1024;
    std::vector<std::uint8_t> row = {0};
    for (int x = 0; x < Width; ++x)
        for (int channel = 0; channel < 3; ++channel) row.insert(row.end(), {static_cast<std::uint8_t>(x >> 2), static_cast<std::uint8_t>(x << 6)});
    testing::WriteFileBytes(dir_.File("ramp.png"), testing::TPngBuilder().Header(Width, 1, 16, 2).Profile(profile).ImageData(row).End().Build());
    settings_.Settings().Format = OutputFormatNamed("png");
    settings_.Settings().Photo.ConvertToSrgb = true;
    ASSERT_EQ(Run({dir_.File("ramp.png")}).Written, 1);
    TPNGGraphic written;
    written.LoadFromFile((out_ / "ramp_thumb.png").string());
    ASSERT_EQ(written.Width(), Width);

    cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM exact = cmsCreateTransform(source, TYPE_RGB_DBL, srgb, TYPE_RGB_DBL, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    auto level = [exact](double value) {
        const double rgb[3] = {value, value, value};
        double out[3];
        cmsDoTransform(exact, rgb, out, 1);
        return static_cast<int>(std::lround(std::clamp(out[1], 0.0, 1.0) * 255));
    };
    std::set<int> ours, whole, cut;
    for (int x = 0; x < Width; ++x) {
        const int sample = x * 64;  // the 16-bit value the row above stores
        const int expected = level(sample / 65535.0);
        const TColor got = written.GetPixel(x, 0);
        ASSERT_NEAR(static_cast<int>(got >> 8 & 255), expected, 1) << "sample " << sample;
        ours.insert(static_cast<int>(got >> 8 & 255));
        whole.insert(expected);
        cut.insert(level((sample >> 8) / 255.0));
    }
    cmsDeleteTransform(exact);
    cmsCloseProfile(srgb);
    cmsCloseProfile(source);
    EXPECT_GE(ours.size() + 2, whole.size());
    EXPECT_GT(ours.size(), cut.size() + 10) << "the cut to 8 bits loses shadow levels";
}

// A window's settings live in widgets that only its own thread may read: files prepared
// ahead on workers read a snapshot the run refreshes on its thread.
class TThreadCheckingSettings : public TSettingsSource {
public:
    explicit TThreadCheckingSettings(ConversionSettings settings) : settings_(std::move(settings)) {}
    ConversionSettings Current() const override {
        if (std::this_thread::get_id() != owner_) ++foreignReads_;
        return settings_;
    }
    int ForeignReads() const { return foreignReads_; }

private:
    ConversionSettings settings_;
    std::thread::id owner_ = std::this_thread::get_id();
    mutable std::atomic<int> foreignReads_ = 0;
};

TEST_F(BatchRun, WorkersNeverReadTheLiveSettingsOrLogo) {
    ConversionSettings settings = settings_.Settings();
    settings.Format = OutputFormatNamed("png");
    settings.Size = SizeMode::FitPixels;
    settings.MaxSideText = "3";
    settings.LogoEnabled = true;
    testing::WriteFileBytes(dir_.File("logo.bmp"), testing::ReadFileBytes(Good("logo_source.bmp")));
    TThreadCheckingSettings live(settings);
    std::vector<TSourceEntry> sources;
    for (int i = 0; i < 8; ++i) sources.push_back({.Path = Good("s" + std::to_string(i) + ".bmp")});
    const std::thread::id owner = std::this_thread::get_id();
    std::atomic<int> foreignLogoReads = 0;
    TBatchRun run(host_, live);
    run.OutputFolder = [this] { return out_.string(); };
    run.LogoFileName = [&] {
        if (std::this_thread::get_id() != owner) ++foreignLogoReads;
        return dir_.File("logo.bmp");
    };
    EXPECT_EQ(run.ResizeImage(sources, 3).Written, 8);
    EXPECT_EQ(live.ForeignReads(), 0);
    EXPECT_EQ(foreignLogoReads, 0);
}

}  // namespace
}  // namespace pictorand
