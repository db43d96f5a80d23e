#include "engine/source_loader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/file_names.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/png/png_object.h"
#include "formats/wmf/metafile.h"
#include "graphics/file_stream.h"
#include "resample/resample_bitmap.h"
#include "png_builder.h"
#include "scripted_host.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

class Loader : public ::testing::Test {
protected:
    TLoadedSource LoadStage(const std::string& name, const TLoadWishes& wishes = {}) {
        return CheckAndLoadFromFile({dir_.File(name), name, ExtractFileExt(name), {}}, host_, wishes);
    }
    std::unique_ptr<TBitmap> Load(const std::string& name, const std::string& path) {
        return CheckAndLoadFromFile({path, name, ExtractFileExt(name), {}}, host_).Raster;
    }
    std::string SaveBitmap(TPixelFormat format, const std::string& name) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(3, 2);
        bitmap.SaveToFile(dir_.File(name));
        return dir_.File(name);
    }
    testing::TTempDir dir_;
    testing::TScriptedHost host_;
};

TEST_F(Loader, ContentChoosesTheReaderWhenTheExtensionsReaderRefusesTheFile) {
    // A bitmap saved as .jpg, a PNG saved as .tif and a JPEG saved as .png.
    const auto bitmap = Load("x.jpg", SaveBitmap(TPixelFormat::pf8bit, "x.jpg"));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
    const TBitmap picture = testing::Solid(5, 3, RGBColor(200, 100, 0));
    TPNGObject png;
    png.Assign(picture);
    png.SaveToFile(dir_.File("png.tif"));
    const auto fromPng = Load("png.tif", dir_.File("png.tif"));
    ASSERT_NE(fromPng, nullptr);
    EXPECT_EQ(fromPng->GetPixel(4, 2), RGBColor(200, 100, 0));
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    jpeg.SaveToFile(dir_.File("jpeg.png"));
    const auto fromJpeg = Load("jpeg.png", dir_.File("jpeg.png"));
    ASSERT_NE(fromJpeg, nullptr);
    EXPECT_EQ(fromJpeg->Width(), 5);
    EXPECT_TRUE(host_.Messages.empty());
    // A file no reader recognises fails with the extension's reader's message.
    testing::WriteFileBytes(dir_.File("noise.jpg"), std::vector<std::uint8_t>(64, 7));
    const TLoadedSource noise = LoadStage("noise.jpg");
    EXPECT_EQ(noise.Raster, nullptr);
    EXPECT_NE(noise.Error.find("JPEG"), std::string::npos) << noise.Error;
    EXPECT_EQ(host_.Messages, (std::vector<std::string>{"Невозможно загрузить файл noise.jpg!"}));
}

TEST_F(Loader, EveryNameOfJpegIsRead) {
    const TBitmap picture = testing::Solid(4, 4, clBlack);
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    for (const char* name : {"a.jpe", "a.JFIF", "a.jif", "a.jpeg"}) {
        jpeg.SaveToFile(dir_.File(name));
        const auto loaded = Load(name, dir_.File(name));
        ASSERT_NE(loaded, nullptr) << name;
        EXPECT_EQ(loaded->Width(), 4) << name;
    }
}

TEST_F(Loader, BitmapsKeepTheirPixelFormat) {
    const auto source = Load("a.BMP", SaveBitmap(TPixelFormat::pf4bit, "a.BMP"));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(host_.Pumps, 1);
}

TEST_F(Loader, FilesThatGiveNoPictureFailWithTheReason) {
    testing::WriteFileBytes(dir_.File("photo.xyz"), {1, 2, 3});
    const TLoadedSource unknown = LoadStage("photo.xyz");
    EXPECT_EQ(unknown.Raster, nullptr);
    EXPECT_EQ(unknown.Error, "no reader takes the extension .xyz");
    const TLoadedSource bare = LoadStage("photo");
    EXPECT_EQ(bare.Raster, nullptr);
    EXPECT_NE(bare.Error.find("no extension"), std::string::npos);
    EXPECT_EQ(host_.Messages, (std::vector<std::string>{"Невозможно загрузить файл photo.xyz!", "Невозможно загрузить файл photo!"}));
}

TEST_F(Loader, MissingFilesGiveTheLoadMessage) {
    EXPECT_EQ(Load("gone.bmp", dir_.File("gone.bmp")), nullptr);
    EXPECT_EQ(host_.Messages.size(), 1u);
    EXPECT_FALSE(host_.Details[0].empty()) << "the reader's own text travels with the message";
}

TEST_F(Loader, MetafilesAreDrawnAtTheirOwnSize) {
    const TBitmap picture = testing::Solid(5, 4, RGBColor(0, 0, 200));
    TMetafile metafile;
    metafile.RecordBitmap(picture);
    metafile.SaveToFile(dir_.File("b.wmf"));
    const auto source = Load("b.wmf", dir_.File("b.wmf"));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->Width(), 5);
    EXPECT_EQ(source->Height(), 4);
    EXPECT_EQ(source->GetPixel(4, 3), RGBColor(0, 0, 200));
}


TEST_F(Loader, GreyWithAlphaIsHandedOverOnlyWhenAsked) {
    // Two pixels of grey 60: opaque, then transparent (filter byte 0 first).
    const auto png = testing::TPngBuilder().Header(2, 1, 8, 4).ImageData({0, 60, 255, 60, 0}).End().Build();
    testing::WriteFileBytes(dir_.File("la.png"), png);
    const auto classic = LoadStage("la.png").Raster;
    ASSERT_NE(classic, nullptr);
    EXPECT_EQ(classic->PixelFormat(), TPixelFormat::pf8bit) << "grey, its alpha dropped, as always";
    TLoadWishes wishes;
    wishes.KeepAlpha = true;
    const auto withAlpha = LoadStage("la.png", wishes).Raster;
    ASSERT_NE(withAlpha, nullptr);
    ASSERT_TRUE(withAlpha->HasAlpha());
    const std::uint8_t* p = withAlpha->ScanLine(0);
    EXPECT_EQ(std::vector<std::uint8_t>(p, p + 8), (std::vector<std::uint8_t>{60, 60, 60, 255, 60, 60, 60, 0}));
}


TEST(ShrinkOnLoad, TheLargestReductionThatKeepsTheTargetSize) {
    EXPECT_EQ(ShrinkDenominator(4000, 3000, 500, 375), 8);
    EXPECT_EQ(ShrinkDenominator(4000, 3000, 501, 375), 4) << "4000 / 8 is one pixel short";
    EXPECT_EQ(ShrinkDenominator(4001, 3001, 501, 376), 8) << "sizes round up, as libjpeg scales";
    EXPECT_EQ(ShrinkDenominator(4000, 3000, 1200, 900), 2);
    EXPECT_EQ(ShrinkDenominator(4000, 3000, 2001, 10), 1);
    EXPECT_EQ(ShrinkDenominator(4000, 3000, 10, 1501), 1) << "both sides count";
}

TEST_F(Loader, AJpegIsDecodedSmallerWhenTheTargetAllowsAndNamesItsWholeSize) {
    TJPEGImage jpeg;
    jpeg.Assign(testing::PhotoLike(160, 96));
    jpeg.SaveToFile(dir_.File("p.jpg"));
    TLoadWishes wishes;
    wishes.ShrinkTo = [](const TImageInfo& info, TShrinkOnLoad) -> std::optional<std::pair<int, int>> {
        EXPECT_EQ(info.Width, 160);
        EXPECT_EQ(info.Height, 96);
        return std::pair{40, 24};
    };
    const TLoadedSource loaded = LoadStage("p.jpg", wishes);
    ASSERT_NE(loaded.Raster, nullptr);
    EXPECT_EQ(loaded.Raster->Width(), 40);
    EXPECT_EQ(loaded.Raster->Height(), 24);
    EXPECT_EQ(loaded.NominalSize, (std::pair{160, 96}));
    wishes.ShrinkTo = [](const TImageInfo&, TShrinkOnLoad) { return std::optional<std::pair<int, int>>{}; };
    EXPECT_EQ(LoadStage("p.jpg", wishes).Raster->Width(), 160) << "not scaled: whole";
}

// A picture whose reader can give it a band of rows at a time is scaled as it is decoded
// when the run asks for the scaling: the raster is the scaled picture, with the bytes of
// scaling the whole decode, and the whole picture's size is named.
TEST_F(Loader, ALargePngIsScaledAsItsRowsAreDecoded) {
    const std::vector<std::uint8_t> file = testing::PngTooLargeToInflateWhole();
    {
        TFileStream out(dir_.File("large.png"), TFileMode::Create);
        out.WriteBuffer(file.data(), file.size());
    }
    TLoadWishes wishes;
    wishes.ScaleRows = [](const TImageInfo& info) {
        return std::make_unique<TRowResampler>(info.Width, info.Height, 800, 540, &Lanczos3Kernel, 3.0f, BestPasses());
    };
    const TLoadedSource scaled = LoadStage("large.png", wishes);
    ASSERT_NE(scaled.Raster, nullptr) << scaled.Error;
    EXPECT_TRUE(scaled.Scaled);
    EXPECT_EQ(scaled.NominalSize, (std::pair{20000, 13500}));
    TLoadedSource whole = LoadStage("large.png");
    EXPECT_FALSE(whole.Scaled);
    ASSERT_EQ(whole.Raster->Height(), 13500);
    TBitmap expected;
    expected.SetSize(800, 540);
    ResampleBitmap(*whole.Raster, expected, &Lanczos3Kernel, 3.0f);
    ASSERT_EQ(scaled.Raster->Width(), 800);
    ASSERT_EQ(scaled.Raster->Height(), 540);
    for (int y = 0; y < 540; ++y) ASSERT_EQ(std::memcmp(scaled.Raster->ScanLine(y), expected.ScanLine(y), 3 * 800), 0) << "row " << y;
}

}  // namespace
}  // namespace pictorand
