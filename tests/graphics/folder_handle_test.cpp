#include "graphics/folder_handle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "graphics/exceptions.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

namespace fs = std::filesystem;

std::function<void(TStream&)> Writes(std::vector<std::uint8_t> bytes) {
    return [bytes](TStream& stream) { stream.WriteBuffer(bytes); };
}

std::size_t Entries(const fs::path& folder) { return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {})); }

TEST(PublishFile, KeepsWhatTookTheNameWhileItWasWritten) {
    testing::TTempDir dir;
    const TFolderHandle folder(dir.Path().string());
    EXPECT_TRUE(PublishFile(folder, "a.bin", TPublishMode::KeepExisting, Writes({1})));
    EXPECT_FALSE(PublishFile(folder, "a.bin", TPublishMode::KeepExisting, Writes({2})));
    // Another process finishes the same name first: its file stays.
    const bool published = PublishFile(folder, "b.bin", TPublishMode::KeepExisting, [&](TStream& stream) {
        testing::WriteFileBytes(dir.Path() / "b.bin", {7});
        stream.WriteBuffer(std::vector<std::uint8_t>{8});
    });
    EXPECT_FALSE(published);
    EXPECT_EQ(testing::ReadFileBytes(dir.Path() / "a.bin"), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(testing::ReadFileBytes(dir.Path() / "b.bin"), (std::vector<std::uint8_t>{7}));
    EXPECT_TRUE(PublishFile(folder, "a.bin", TPublishMode::Replace, Writes({3})));
    EXPECT_EQ(testing::ReadFileBytes(dir.Path() / "a.bin"), (std::vector<std::uint8_t>{3}));
    EXPECT_EQ(Entries(dir.Path()), 2u) << "no temporary file is left";
}

TEST(PublishFile, FailuresLeaveNothingAndFoldersAreNeverOutputs) {
    testing::TTempDir dir;
    const TFolderHandle folder(dir.Path().string());
    testing::WriteFileBytes(dir.Path() / "old.bin", {5});
    EXPECT_THROW(PublishFile(folder, "old.bin", TPublishMode::Replace, [](TStream&) { throw std::runtime_error("encoder"); }),
                 std::runtime_error);
    EXPECT_EQ(testing::ReadFileBytes(dir.Path() / "old.bin"), (std::vector<std::uint8_t>{5}));
    fs::create_directory(dir.Path() / "taken");
    for (const TPublishMode mode : {TPublishMode::KeepExisting, TPublishMode::Replace}) {
        try {
            PublishFile(folder, "taken", mode, Writes({1}));
            ADD_FAILURE() << "a folder is no output";
        } catch (const EFCreateError& error) {
            EXPECT_NE(std::string(error.what()).find("a folder has that name"), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(Entries(dir.Path()), 2u);
}

TEST(FolderHandle, SubfoldersAreMadeInsideAndLinksAreNeverFollowed) {
    testing::TTempDir dir;
    fs::create_directories(dir.Path() / "out");
    fs::create_directories(dir.Path() / "elsewhere");
    fs::create_directory_symlink("../elsewhere", dir.Path() / "out" / "link");
    testing::WriteFileBytes(dir.Path() / "out" / "file", {1});
    const TFolderHandle out((dir.Path() / "out").string());
    const TFolderHandle made = out.Subfolder("a/./b");
    EXPECT_TRUE(fs::is_directory(dir.Path() / "out" / "a" / "b"));
    EXPECT_TRUE(PublishFile(made, "x", TPublishMode::KeepExisting, Writes({1})));
    for (const char* path : {"link", "link/deeper", "a/../..", "file/x"}) {
        EXPECT_THROW(out.Subfolder(path), EFCreateError) << path;
    }
    EXPECT_EQ(Entries(dir.Path() / "elsewhere"), 0u);
    EXPECT_TRUE(out.Writable());
    EXPECT_THROW(TFolderHandle((dir.Path() / "out" / "file").string()), EFOpenError);
}

}  // namespace
}  // namespace pictorand
