#include "graphics/stream.h"

#include <gtest/gtest.h>

#include "graphics/bitmap.h"
#include "graphics/exceptions.h"
#include "graphics/file_stream.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

TEST(Streams, ShortReadsRaiseTheReadError) {
    TMemoryStream stream(std::vector<std::uint8_t>{1, 2, 3});
    std::uint8_t buffer[4];
    try {
        stream.ReadBuffer(buffer, 4);
        FAIL() << "no error";
    } catch (const EReadError& error) {
        EXPECT_STREQ(error.what(), "Stream read error");
    }
    stream.SetPosition(1);
    stream.ReadBuffer(buffer, 2);
    EXPECT_EQ(buffer[1], 3);
    EXPECT_EQ(stream.Size(), 3);
}

TEST(Streams, MemoryStreamWritesGrowAndSeek) {
    TMemoryStream stream;
    stream.WriteBuffer(std::vector<std::uint8_t>{1, 2});
    stream.Seek(4, TSeekOrigin::Beginning);
    stream.WriteBuffer(std::vector<std::uint8_t>{9});
    EXPECT_EQ(stream.Bytes(), (std::vector<std::uint8_t>{1, 2, 0, 0, 9}));
    EXPECT_EQ(stream.Seek(-2, TSeekOrigin::End), 3);
}

TEST(FileStreams, MissingFileRaisesTheOpenError) {
    testing::TTempDir dir;
    EXPECT_THROW(TFileStream(dir.File("none"), TFileMode::OpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir.File("no/such/folder"), TFileMode::Create), EFCreateError);
}

TEST(FileStreams, FailedSaveKeepsTheExistingFile) {
    testing::TTempDir dir;
    const std::string path = dir.File("keep.bin");
    testing::WriteFileBytes(path, {7, 7, 7});
    EXPECT_THROW(WriteFileReplacing(path, [](TStream& stream) {
                     stream.WriteBuffer(std::vector<std::uint8_t>{1});
                     throw EWriteError("Stream write error");
                 }),
                 EWriteError);
    EXPECT_EQ(testing::ReadFileBytes(path), (std::vector<std::uint8_t>{7, 7, 7}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "temporary file removed";

    WriteFileReplacing(path, [](TStream& stream) { stream.WriteBuffer(std::vector<std::uint8_t>{1, 2}); });
    EXPECT_EQ(testing::ReadFileBytes(path), (std::vector<std::uint8_t>{1, 2}));
}

TEST(FileStreams, BitmapSavesAndLoadsThroughFiles) {
    testing::TTempDir dir;
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(3, 2);
    bitmap.SetPixel(2, 1, RGBColor(1, 2, 3));
    bitmap.SaveToFile(dir.File("a.bmp"));
    TBitmap loaded;
    loaded.LoadFromFile(dir.File("a.bmp"));
    EXPECT_EQ(loaded.GetPixel(2, 1), RGBColor(1, 2, 3));
    EXPECT_THROW(bitmap.SaveToFile(dir.File("missing/a.bmp")), EFCreateError);
}

}  // namespace
}  // namespace pictorand
