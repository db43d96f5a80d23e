#include "app/source_loader.h"

#include <gtest/gtest.h>

#include "app/file_names.h"
#include "graphics/metafile.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

TEST(SourceLoader, DispatchUsesTheUpperCasedExtensionAlone) {
    struct Case { const char* extension; const char* row; };
    const Case cases[] = {
        {".jpg", ".JPG"}, {".JPG", ".JPG"}, {".Jpg", ".JPG"}, {".jpeg", ".JPG"}, {".pdd", ".PSD"},
        {".Tiff", ".TIF"}, {".wmf", ".WMF"}, {".jpe", nullptr}, {"", nullptr}, {".bmp ", nullptr},
    };
    for (const Case& c : cases) {
        const TSourceReader* row = FindSourceReader(c.extension);
        if (!c.row) {
            EXPECT_EQ(row, nullptr) << c.extension;
        } else {
            ASSERT_NE(row, nullptr) << c.extension;
            EXPECT_EQ(row->Extensions[0], c.row);
        }
    }
}

class Loader : public ::testing::Test {
protected:
    TRunState Load(const std::string& name, const std::string& path) {
        TRunState state(host_, settings_);
        state.CurrentFileName = name;
        state.CurrentExt = ExtractFileExt(name);
        state.CurrentSourcePath = path;
        CheckAndLoadFromFile(state);
        return state;
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
    TFixedSettings settings_;
};

TEST_F(Loader, ContentNeverChoosesTheReader) {
    const TRunState state = Load("x.jpg", SaveBitmap(TPixelFormat::pf8bit, "x.jpg"));
    EXPECT_TRUE(state.LoadFailed);
    EXPECT_EQ(host_.Messages, (std::vector<std::string>{"Невозможно загрузить файл x.jpg!"}));
    ASSERT_NE(state.SourceBitmap, nullptr) << "the source raster exists after a failure";
}

TEST_F(Loader, BitmapsKeepTheirPixelFormat) {
    const TRunState state = Load("a.BMP", SaveBitmap(TPixelFormat::pf4bit, "a.BMP"));
    EXPECT_FALSE(state.LoadFailed);
    EXPECT_EQ(state.SourceBitmap->PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(host_.Pumps, 1);
}

TEST_F(Loader, UnknownExtensionsLoadNothingWithoutFailing) {
    const TRunState state = Load("photo.jpe", dir_.File("photo.jpe"));
    EXPECT_FALSE(state.LoadFailed);
    EXPECT_TRUE(state.SourceBitmap->Empty());
    EXPECT_TRUE(host_.Messages.empty());
}

TEST_F(Loader, MissingFilesGiveTheLoadMessage) {
    const TRunState state = Load("gone.bmp", dir_.File("gone.bmp"));
    EXPECT_TRUE(state.LoadFailed);
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
    const TRunState state = Load("b.wmf", dir_.File("b.wmf"));
    ASSERT_FALSE(state.LoadFailed);
    EXPECT_EQ(state.SourceBitmap->Width(), 5);
    EXPECT_EQ(state.SourceBitmap->Height(), 4);
    EXPECT_EQ(state.SourceBitmap->GetPixel(4, 3), RGBColor(0, 0, 200));
}

}  // namespace
}  // namespace pictorand
