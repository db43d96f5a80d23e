#include "formats/format_table.h"

#include <gtest/gtest.h>

#include <cstring>

#include "graphics/file_stream.h"
#include "independent_decoder.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

TEST(FormatTable, ReadersAreChosenByTheExtensionAloneWithoutItsCase) {
    struct Case { const char* extension; const char* row; };
    const Case cases[] = {
        {".jpg", "jpg"}, {".JPG", "jpg"}, {".Jpg", "jpg"}, {".jpeg", "jpg"}, {".pdd", "psd"}, {".Tiff", "tif"},
        {".wmf", "wmf"}, {".BMP", "bmp"}, {".jpe", "jpg"}, {".JFIF", "jpg"}, {".jif", "jpg"}, {".jp", nullptr}, {"", nullptr}, {".bmp ", nullptr}, {"bmp", nullptr},
        {".ico", nullptr},  // written, never read
    };
    for (const Case& c : cases) {
        const TFormatRow* row = FindReadableFormat(c.extension);
        if (!c.row) {
            EXPECT_EQ(row, nullptr) << c.extension;
        } else {
            ASSERT_NE(row, nullptr) << c.extension;
            EXPECT_EQ(row->Name, c.row);
        }
    }
}

TEST(FormatTable, LogosAreTheSixLogoExtensions) {
    for (const char* e : {".PSD", ".pdd", ".psp", ".png", ".pcx", ".bmp"}) EXPECT_NE(FindLogoFormat(e), nullptr) << e;
    for (const char* e : {".jpg", ".gif", ".tga", ".tif", ".wmf", ".ico"}) EXPECT_EQ(FindLogoFormat(e), nullptr) << e;
    std::vector<std::string_view> order;
    for (const TFormatRow* row : LogoFormats()) order.push_back(row->Name);
    EXPECT_EQ(order, (std::vector<std::string_view>{"psd", "psp", "png", "bmp", "pcx"}));
}

TEST(FormatTable, EveryOutputFormatHasOneNamedWriter) {
    const std::pair<OutputFormat, const char*> cases[] = {
        {OutputFormat::Bmp, ".bmp"}, {OutputFormat::Jpg, ".jpg"}, {OutputFormat::Tga, ".tga"},
        {OutputFormat::Gif, ".gif"}, {OutputFormat::Tiff, ".tif"}, {OutputFormat::Png, ".png"},
        {OutputFormat::Pcx, ".pcx"}, {OutputFormat::Ico, ".ico"}, {OutputFormat::Wmf, ".wmf"},
    };
    for (const auto& [format, extension] : cases) {
        EXPECT_EQ(OutputExtension(format), extension);
        const TFormatRow& row = OutputFormatRow(format);
        EXPECT_NE(row.Write, nullptr) << extension;
        EXPECT_EQ(FindOutputFormat(row.Name), &row);
    }
    EXPECT_EQ(FindOutputFormat("psd"), nullptr) << "read, never written";
    EXPECT_EQ(FindOutputFormat("tiff"), nullptr) << "the short name alone";
}

TEST(FormatTable, SignaturesNameTheirFormat) {
    struct Case { std::vector<std::uint8_t> head; const char* row; };
    const Case cases[] = {
        {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0}, "png"}, {{0xFF, 0xD8, 0xFF, 0xE0}, "jpg"},
        {{'G', 'I', 'F', '8', '9', 'a'}, "gif"}, {{'I', 'I', 42, 0}, "tif"}, {{'M', 'M', 0, 42}, "tif"}, {{'B', 'M', 0}, "bmp"},
        {{'8', 'B', 'P', 'S'}, "psd"}, {{0xD7, 0xCD, 0xC6, 0x9A}, "wmf"}, {{0x0A, 5, 1, 8}, nullptr},  // PCX has no reliable mark
        {{0x89, 'P', 'N'}, nullptr}, {{}, nullptr},
    };
    for (const Case& c : cases) {
        const TFormatRow* row = IdentifyByContent(c.head);
        EXPECT_EQ(row ? row->Name : "none", c.row ? c.row : "none");
    }
}

TEST(FormatTable, SourceDialogListsPddLast) {
    const std::vector<std::string_view> expected = {"bmp", "jpg", "jpeg", "gif", "tga", "tif", "tiff",
                                                    "pcx", "png", "psd", "psp", "wmf", "pdd"};
    EXPECT_EQ(AllSourceExtensions(), expected);
    EXPECT_EQ(SourceFormats().size(), 10u);
}


// A raster with straight alpha written by each format that carries alpha reads back with
// the same colours and alpha, by our reader and by Pillow.
TEST(FormatTable, WritersThatCarryAlphaKeepIt) {
    TBitmap raster;
    raster.SetPixelFormat(TPixelFormat::pf32bit);
    raster.SetSize(3, 2);
    raster.SetHasAlpha(true);
    for (int y = 0; y < 2; ++y) {
        std::uint8_t* p = raster.ScanLine(y);
        for (int x = 0; x < 3; ++x, p += 4) {
            p[0] = static_cast<std::uint8_t>(40 * x), p[1] = 90, p[2] = static_cast<std::uint8_t>(200 - 50 * y);
            p[3] = static_cast<std::uint8_t>(x * 120 + y);
        }
    }
    testing::TTempDir dir;
    int compared = 0;
    for (const OutputFormat format : {OutputFormat::Png, OutputFormat::Tga, OutputFormat::Tiff}) {
        ASSERT_TRUE(CarriesAlpha(format));
        const TFormatRow& row = OutputFormatRow(format);
        const std::string path = dir.File("alpha." + std::string(row.Name));
        {
            TFileStream file(path, TFileMode::Create);
            row.Write(file, raster, {});
        }
        auto reader = row.CreateReader();
        reader->LoadFromFile(path);
        TBitmap read;
        reader->ReleaseTo(read);
        ASSERT_TRUE(read.HasAlpha()) << row.Name;
        for (int y = 0; y < 2; ++y) EXPECT_EQ(std::memcmp(read.ScanLine(y), raster.ScanLine(y), 12), 0) << row.Name << " row " << y;
        if (testing::PillowAvailable()) {
            const auto alpha = testing::AlphaWithPillow(path, dir.Path());
            ASSERT_EQ(alpha.size(), 6u) << row.Name;
            EXPECT_EQ(alpha[4], 121) << row.Name << ": Pillow sees the alpha";
            ++compared;
        }
    }
    std::cout << "[ compared ] " << compared << " formats with Pillow\n";
}

}  // namespace
}  // namespace pictorand
