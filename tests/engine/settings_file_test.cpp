#include "engine/settings_file.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/preset_file.h"
#include "engine/window_memory.h"
#include "graphics/cp1251.h"
#include "graphics/exceptions.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

using Bytes = std::array<std::uint8_t, SettingsRecordSize>;

void PutText(Bytes& b, std::size_t at, const std::string& utf8) {
    const std::string text = Utf8ToCp1251(utf8);
    b[at] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at + 1));
}

// A record as another installation might have written it, built byte by byte.
Bytes HandBuiltRecord() {
    Bytes b{};
    b[3] = 1;  // FitPercent
    PutText(b, 6, "640");
    PutText(b, 17, "320");
    PutText(b, 28, "240");
    PutText(b, 39, "25");
    PutText(b, 50, "7");
    PutText(b, 61, "70");
    b[77] = 1;  // FixedName
    PutText(b, 78, "малый");
    PutText(b, 94, "-5");
    PutText(b, 110, "trip");
    b[127] = 1;  // ReplaceSilently
    b[133] = 1;  // Png
    b[140] = 6;  // Mitchell
    b[144] = 16;  // quality "100"
    b[149] = 1;  // TopLeft
    return b;
}

TEST(SettingsRecord, DefaultsAreTheDialogsDefaults) {
    const ConversionSettings s;
    EXPECT_EQ(s.Format, OutputFormatNamed("jpg"));
    EXPECT_EQ(FilterItems[static_cast<std::size_t>(s.Filter)], "Lanczos 3 Filter");
    EXPECT_EQ(s.JpegQualityText(), "60");
    EXPECT_EQ(s.Naming, NamingMode::AddThumb);
    EXPECT_TRUE(s.WarnOnExisting);
    EXPECT_FALSE(s.ReplaceSilently);
    EXPECT_EQ(s.Size, SizeMode::FitPixels);
    EXPECT_EQ(s.MaxSideText, "100");
    EXPECT_EQ(s.LogoPosition, LogoCorner::BottomLeft);
    EXPECT_FALSE(s.LogoEnabled);
}

TEST(SettingsRecord, HandBuiltRecordReadsFieldByField) {
    const Bytes bytes = HandBuiltRecord();
    ConversionSettings s;
    SettingsFileRecord::Decode(bytes).ApplyTo(s);
    EXPECT_EQ(s.Size, SizeMode::FitPercent);
    EXPECT_EQ(s.MaxSideText, "640");
    EXPECT_EQ(s.CustomWidthText, "320");
    EXPECT_EQ(s.CustomHeightText, "240");
    EXPECT_EQ(s.PercentText, "25");
    EXPECT_EQ(s.CentimetresText, "7");
    EXPECT_EQ(s.MillimetresText, "70");
    EXPECT_EQ(s.Naming, NamingMode::FixedName);
    EXPECT_EQ(s.AddedWordText, "малый");
    EXPECT_EQ(s.StartNumberText, "-5");
    EXPECT_EQ(s.FixedNameText, "trip");
    EXPECT_TRUE(s.ReplaceSilently);
    EXPECT_FALSE(s.WarnOnExisting);
    EXPECT_EQ(s.Format, OutputFormatNamed("png"));
    EXPECT_EQ(s.SelectedFilter(), ResampleFilter::Mitchell);
    EXPECT_EQ(s.JpegQualityText(), "100");
    EXPECT_EQ(s.LogoPosition, LogoCorner::TopLeft);
}

TEST(SettingsRecord, WrittenRecordMatchesByteByByte) {
    ConversionSettings s;
    SettingsFileRecord::Decode(HandBuiltRecord()).ApplyTo(s);
    EXPECT_EQ(SettingsFileRecord::From(s).Encode(), HandBuiltRecord());

    const Bytes defaults = SettingsFileRecord::From(ConversionSettings{}).Encode();
    Bytes expected{};
    expected[1] = 1;
    PutText(expected, 6, "100");
    PutText(expected, 17, "100");
    PutText(expected, 28, "100");
    PutText(expected, 39, "50");
    PutText(expected, 50, "10");
    PutText(expected, 61, "100");
    expected[72] = 1;
    expected[126] = 1;
    expected[128] = 1;
    expected[140] = 5;
    expected[144] = 8;
    expected[151] = 1;
    EXPECT_EQ(defaults, expected);
}

TEST(SettingsRecord, LongTextsAreCutOnDisk) {
    ConversionSettings s;
    s.AddedWordText = "abcdefghijklmnopqrst";  // 20 characters, used in full until written
    for (int i = 0; i < 20; ++i) s.FixedNameText += "Ж";
    s.MaxSideText = "123456789012";
    const Bytes bytes = SettingsFileRecord::From(s).Encode();
    EXPECT_EQ(bytes[78], 15);
    EXPECT_EQ(bytes[110], 15);
    EXPECT_EQ(bytes[6], 10);
    ConversionSettings back;
    SettingsFileRecord::Decode(bytes).ApplyTo(back);
    EXPECT_EQ(back.AddedWordText, "abcdefghijklmno");
    EXPECT_EQ(Utf8Length(back.FixedNameText), 15u);
    EXPECT_EQ(back.FixedNameText, Utf8Prefix(s.FixedNameText, 15));
    EXPECT_EQ(back.MaxSideText, "1234567890");
}

TEST(SettingsRecord, RadioGroupsFollowTheReadingOrder) {
    struct Case { const char* what; std::vector<std::size_t> setBytes; std::optional<OutputFormat> format;
                  std::optional<SizeMode> size; std::optional<NamingMode> naming; };
    const std::vector<Case> cases = {
        // Formats are read BMP, GIF, JPG, TGA, TIFF, PNG, PCX, ICO, WMF: the last set one wins.
        {"BMP and WMF", {130, 136, 1, 72}, OutputFormatNamed("wmf"), SizeMode::FitPixels, NamingMode::AddThumb},
        {"JPG and GIF", {128, 129, 1, 72}, OutputFormatNamed("jpg"), SizeMode::FitPixels, NamingMode::AddThumb},
        // Sizes are read User, Prop, NoSize, PropProc, Sm, Mm.
        {"Custom and Prop", {128, 2, 1, 72}, OutputFormatNamed("jpg"), SizeMode::FitPixels, NamingMode::AddThumb},
        {"NoSize and Mm", {128, 0, 5, 72}, OutputFormatNamed("jpg"), SizeMode::FitMillimetres, NamingMode::AddThumb},
        // Names are read NoCh, AddNewWord, AddTrumb, NumAvt, NumPol, Pref.
        {"AddTrumb and NoCh", {128, 1, 72, 76}, OutputFormatNamed("jpg"), SizeMode::FitPixels, NamingMode::AddThumb},
        {"NumAvt and AddNewWord", {128, 1, 73, 74}, OutputFormatNamed("jpg"), SizeMode::FitPixels, NamingMode::AutoNumber},
        {"all clear", {}, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        Bytes b{};
        for (std::size_t at : c.setBytes) b[at] = 1;
        ConversionSettings s;
        SettingsFileRecord::Decode(b).ApplyTo(s);
        EXPECT_EQ(s.Format, c.format) << c.what;
        EXPECT_EQ(s.Size, c.size) << c.what;
        EXPECT_EQ(s.Naming, c.naming) << c.what;
    }
}

TEST(SettingsRecord, WarningFlagsStayAPair) {
    struct Case { bool pred, noPred, warn, replace; };
    for (const Case c : {Case{true, true, false, true}, Case{false, false, true, false},
                         Case{true, false, true, false}, Case{false, true, false, true}}) {
        Bytes b{};
        b[126] = c.pred;
        b[127] = c.noPred;
        ConversionSettings s;
        SettingsFileRecord::Decode(b).ApplyTo(s);
        EXPECT_EQ(s.WarnOnExisting, c.warn) << c.pred << c.noPred;
        EXPECT_EQ(s.ReplaceSilently, c.replace) << c.pred << c.noPred;
    }
}

TEST(SettingsRecord, ListIndexesOutsideTheListsMeanNoSelection) {
    Bytes b = HandBuiltRecord();
    b[140] = 7;
    b[144] = 0xFF;
    b[145] = 0xFF;
    b[146] = 0xFF;
    b[147] = 0xFF;  // -1
    ConversionSettings s;
    SettingsFileRecord::Decode(b).ApplyTo(s);
    EXPECT_FALSE(s.SelectedFilter());
    EXPECT_EQ(s.JpegQualityText(), "");
}

TEST(SettingsRecord, DamagedTextLengthIsHeldToTheCapacity) {
    Bytes b = HandBuiltRecord();
    b[6] = 200;
    ConversionSettings s;
    SettingsFileRecord::Decode(b).ApplyTo(s);
    EXPECT_EQ(s.MaxSideText.size(), 10u);
}

TEST(SettingsFile, WriteThenReadAndKeepTheTail) {
    testing::TTempDir dir;
    const std::string path = dir.File("Setting.dat");
    ConversionSettings s;
    s.SetFormatButton(OutputFormatNamed("tif"), true);
    WriteSettingsFile(path, s);
    EXPECT_EQ(std::filesystem::file_size(path), 152u);

    std::vector<std::uint8_t> longer(200, 0xAB);
    testing::WriteFileBytes(path, longer);
    WriteSettingsFile(path, s);
    const auto bytes = testing::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 200u);
    EXPECT_TRUE(std::all_of(bytes.begin() + 152, bytes.end(), [](std::uint8_t v) { return v == 0xAB; }));

    ConversionSettings back;
    EXPECT_TRUE(ReadSettingsFile(path, back));
    EXPECT_EQ(back.Format, OutputFormatNamed("tif"));
}

// A saved set of settings is a settings record that any reader of records reads, with the
// options after it; a plain record has none, and bytes after a record that are no object
// are not taken for options.
TEST(SettingsFile, ASavedSetIsARecordFollowedByTheOptions) {
    testing::TTempDir dir;
    const std::string path = dir.File("portraits.pictorand");
    ConversionSettings record;
    record.SetFormatButton(OutputFormatNamed("png"), true);
    record.MaxSideText = "640";
    TExtraOptions options = RecommendedOptions();
    options.Photo.AutoOrient = !options.Photo.AutoOrient;
    options.Encode.Quality = 77;
    options.OutputFormat = "webp";
    WritePresetFile(path, record, options);
    ConversionSettings back;
    ASSERT_TRUE(ReadSettingsFile(path, back));
    EXPECT_EQ(back.Format, OutputFormatNamed("png"));
    EXPECT_EQ(back.MaxSideText, "640");
    EXPECT_EQ(ReadPresetOptions(path), options);

    WriteSettingsFile(dir.File("Setting.dat"), record);
    EXPECT_EQ(ReadPresetOptions(dir.File("Setting.dat")), std::nullopt);
    std::vector<std::uint8_t> tail(200, 0xAB);
    testing::WriteFileBytes(dir.File("tail.dat"), tail);
    EXPECT_EQ(ReadPresetOptions(dir.File("tail.dat")), std::nullopt);
    auto damaged = testing::ReadFileBytes(path);
    damaged.resize(SettingsRecordSize + 10);
    testing::WriteFileBytes(dir.File("damaged.pictorand"), damaged);
    EXPECT_THROW(ReadPresetOptions(dir.File("damaged.pictorand")), EInOutError);
    EXPECT_THROW(WritePresetFile(dir.File("missing/x.pictorand"), record, options), EInOutError);
}

// The recent folders: newest first, each once, eight at most; a damaged file is an empty
// list, never a failure.
TEST(SettingsFile, RecentFoldersKeepTheNewestEightOnce) {
    testing::TTempDir dir;
    TWindowMemory folders;
    for (int i = 0; i < 10; ++i) TWindowMemory::Remember(folders.Outputs, "/photos/" + std::to_string(i));
    TWindowMemory::Remember(folders.Outputs, "/photos/5");
    TWindowMemory::Remember(folders.Sources, "/cards/DCIM");
    ASSERT_EQ(folders.Outputs.size(), 8u);
    EXPECT_EQ(folders.Outputs[0], "/photos/5");
    EXPECT_EQ(folders.Outputs[1], "/photos/9");
    EXPECT_EQ(folders.Outputs[7], "/photos/2") << "moving one up drops none";
    WriteWindowMemory(dir.File("Window.json"), folders);
    EXPECT_EQ(ReadWindowMemory(dir.File("Window.json")), folders);
    testing::WriteFileBytes(dir.File("damaged.json"), {'[', '1'});
    EXPECT_EQ(ReadWindowMemory(dir.File("damaged.json")), TWindowMemory{});
    EXPECT_EQ(ReadWindowMemory(dir.File("missing.json")), TWindowMemory{});
}

TEST(SettingsFile, MissingFileKeepsTheDefaults) {
    testing::TTempDir dir;
    ConversionSettings s;
    EXPECT_FALSE(ReadSettingsFile(dir.File("Setting.dat"), s));
    EXPECT_EQ(s, ConversionSettings{});
}

TEST(SettingsFile, ShortFileChangesNothingAndSaysWhy) {
    testing::TTempDir dir;
    const std::string path = dir.File("Setting.dat");
    const Bytes record = HandBuiltRecord();
    std::vector<std::uint8_t> bytes(record.begin(), record.end());
    bytes.resize(151);
    testing::WriteFileBytes(path, bytes);
    ConversionSettings s;
    try {
        ReadSettingsFile(path, s);
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "Read beyond end of file");
    }
    EXPECT_EQ(s, ConversionSettings{});
}

TEST(SettingsFile, RandomFilesOfEveryLengthLoadOrSayWhy) {
    testing::TTempDir dir;
    const std::string path = dir.File("Setting.dat");
    std::mt19937 random(1251);
    for (std::size_t length = 0; length <= 200; ++length) {
        std::vector<std::uint8_t> bytes(length);
        for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
        testing::WriteFileBytes(path, bytes);
        ConversionSettings s;
        if (length < SettingsRecordSize) {
            EXPECT_THROW(ReadSettingsFile(path, s), EInOutError) << length;
            EXPECT_EQ(s, ConversionSettings{}) << length;
        } else {
            EXPECT_TRUE(ReadSettingsFile(path, s)) << length;
            EXPECT_LE(Utf8ToCp1251(s.AddedWordText).size(), 15u) << "texts stay within their fields";
        }
    }
}

TEST(SettingsFile, UnwritableFolderRaisesAnInputOutputError) {
    testing::TTempDir dir;
    // A plain file where the folder should be: no one can write below it, root included.
    testing::WriteFileBytes(dir.File("taken"), {1});
    EXPECT_THROW(WriteSettingsFile(dir.File("taken/Setting.dat"), ConversionSettings{}), EInOutError);
}

TEST(SettingsFile, LivesBesideTheExecutableOrInTheUsersConfigurationFolder) {
    testing::TTempDir dir;
    EXPECT_EQ(SettingsFolderFor(dir.Path().string(), "/x", "/home/u"), dir.Path().string()) << "a folder that can be written";
    const std::string readOnly = "/nonexistent-pictorand-prefix/bin";
    EXPECT_EQ(SettingsFolderFor(readOnly, "/xdg", "/home/u"), "/xdg/pictorand");
    EXPECT_EQ(SettingsFolderFor(readOnly, nullptr, "/home/u"), "/home/u/.config/pictorand");
    EXPECT_EQ(SettingsFolderFor(readOnly, "relative", "/home/u"), "/home/u/.config/pictorand") << "a relative XDG_CONFIG_HOME is ignored";
    EXPECT_EQ(SettingsFolderFor(readOnly, nullptr, nullptr), readOnly);
    // An installed copy keeps each user's settings in their own folder, even where it
    // could write beside itself (as root can).
    std::filesystem::create_directories(dir.Path() / "prefix" / "bin");
    std::filesystem::create_directories(dir.Path() / "prefix" / "share" / "pictorand");
    EXPECT_EQ(SettingsFolderFor((dir.Path() / "prefix" / "bin").string(), nullptr, "/home/u"), "/home/u/.config/pictorand");

    // Writing creates the configuration folder; the record's bytes are the same.
    const std::string path = (dir.Path() / "config" / "pictorand" / "Setting.dat").string();
    WriteSettingsFile(path, ConversionSettings{});
    EXPECT_EQ(testing::ReadFileBytes(path).size(), SettingsRecordSize);
    ConversionSettings back;
    back.Format = OutputFormatNamed("png");
    ASSERT_TRUE(ReadSettingsFile(path, back));
    EXPECT_EQ(back, ConversionSettings{});
}

}  // namespace
}  // namespace pictorand
