#include "engine/file_names.h"

#include <gtest/gtest.h>

#include "engine/integer_text.h"
#include "engine/output_writer.h"
#include "graphics/exceptions.h"

namespace pictorand {
namespace {

TEST(FileNames, ExtensionAndNameFollowTheLastSlash) {
    EXPECT_EQ(ExtractFileExt("/pics/photo.Jpg"), ".Jpg");
    EXPECT_EQ(ExtractFileExt("/a.b/photo"), "");
    EXPECT_EQ(ExtractFileExt("my.photo.png"), ".png");
    EXPECT_EQ(ExtractFileName("/pics/photo.Jpg"), "photo.Jpg");
    // ":" and "\\" belong to the name on this platform.
    EXPECT_EQ(ExtractFileName("/pics/12:30 shot.png"), "12:30 shot.png");
    EXPECT_EQ(ExtractFileName("C:\\Pictures\\photo.Jpg"), "C:\\Pictures\\photo.Jpg");
    EXPECT_EQ(ExtractFileExt("a.b\\photo"), ".b\\photo");
    EXPECT_EQ(ChangeFileExt("photo", ".bmp"), "photo.bmp");
    EXPECT_EQ(ChangeFileExt("a.b_7", ".jpg"), "a.jpg");
    EXPECT_EQ(UpperCaseAscii("photo.jpg"), "PHOTO.JPG");
}

TEST(FileNames, OutputNamesForEveryNamingRule) {
    struct Case { NamingMode naming; std::string text; OutputFormat format; const char* source; int number; const char* expected; };
    const Case cases[] = {
        {NamingMode::AddThumb, "", OutputFormatNamed("jpg"), "IMG_01.png", 7, "IMG_01_thumb.jpg"},
        {NamingMode::AddThumb, "", OutputFormatNamed("png"), "my.photo.png", 1, "my.photo_thumb.png"},
        {NamingMode::AddWord, "small", OutputFormatNamed("jpg"), "IMG_01.png", 7, "IMG_01_small.jpg"},
        {NamingMode::AddWord, "v1.2", OutputFormatNamed("gif"), "photo.jpg", 1, "photo_v1.2.gif"},
        {NamingMode::KeepName, "", OutputFormatNamed("bmp"), "photo", 1, "photo.bmp"},
        {NamingMode::AutoNumber, "", OutputFormatNamed("jpg"), "IMG_01.png", 7, "7.jpg"},
        {NamingMode::NumberFrom, "", OutputFormatNamed("tif"), "x.png", -5, "-5.tif"},
        {NamingMode::FixedName, "trip", OutputFormatNamed("jpg"), "IMG_01.png", 7, "trip_7.jpg"},
        {NamingMode::FixedName, "a.b", OutputFormatNamed("jpg"), "IMG_01.png", 7, "a.jpg"},
    };
    for (const Case& c : cases) {
        ConversionSettings s;
        s.Naming = c.naming;
        s.AddedWordText = s.FixedNameText = c.text;
        EXPECT_EQ(OutputFileName(s, c.format, c.source, c.number), c.expected);
    }
}

TEST(IntegerText, ConvertsLikeTheRuntime) {
    EXPECT_EQ(TryStrToInt("-5"), -5);
    EXPECT_EQ(TryStrToInt("  42"), 42);
    EXPECT_EQ(TryStrToInt("$1F"), 31);
    EXPECT_EQ(TryStrToInt("2147483647"), 2147483647);
    for (const char* bad : {"", "x", "1.5", ".", "12 ", "2147483648", "-"}) EXPECT_FALSE(TryStrToInt(bad)) << bad;
    try {
        StrToInt("x");
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'x' is not a valid integer value");
    }
}

}  // namespace
}  // namespace pictorand
