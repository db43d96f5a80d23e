#include "engine/source_loader.h"

#include <gtest/gtest.h>

#include "engine/file_names.h"
#include "formats/wmf/metafile.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

class Loader : public ::testing::Test {
protected:
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

TEST_F(Loader, ContentNeverChoosesTheReader) {
    EXPECT_EQ(Load("x.jpg", SaveBitmap(TPixelFormat::pf8bit, "x.jpg")), nullptr);
    EXPECT_EQ(host_.Messages, (std::vector<std::string>{"Невозможно загрузить файл x.jpg!"}));
}

TEST_F(Loader, BitmapsKeepTheirPixelFormat) {
    const auto source = Load("a.BMP", SaveBitmap(TPixelFormat::pf4bit, "a.BMP"));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(host_.Pumps, 1);
}

TEST_F(Loader, FilesThatGiveNoPictureFailWithTheReason) {
    testing::WriteFileBytes(dir_.File("photo.xyz"), {1, 2, 3});
    const TStageRaster unknown = CheckAndLoadFromFile({dir_.File("photo.xyz"), "photo.xyz", ".xyz", {}}, host_);
    EXPECT_EQ(unknown.Raster, nullptr);
    EXPECT_EQ(unknown.Error, "no reader takes the extension .xyz");
    const TStageRaster bare = CheckAndLoadFromFile({dir_.File("photo"), "photo", "", {}}, host_);
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
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetSize(5, 4);
    picture.Fill(RGBColor(0, 0, 200));
    TMetafile metafile;
    metafile.RecordBitmap(picture);
    metafile.SaveToFile(dir_.File("b.wmf"));
    const auto source = Load("b.wmf", dir_.File("b.wmf"));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->Width(), 5);
    EXPECT_EQ(source->Height(), 4);
    EXPECT_EQ(source->GetPixel(4, 3), RGBColor(0, 0, 200));
}

}  // namespace
}  // namespace pictorand
