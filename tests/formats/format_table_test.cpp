#include "formats/format_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "graphics/file_stream.h"
#include "independent_decoder.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

TEST(FormatTable, ReadersAreChosenByTheExtensionAloneWithoutItsCase) {
    struct Case { const char* extension; const char* format; };
    const Case cases[] = {
        {".jpg", "jpg"}, {".JPG", "jpg"}, {".Jpg", "jpg"}, {".jpeg", "jpg"}, {".pdd", "psd"}, {".Tiff", "tif"},
        {".wmf", "wmf"}, {".BMP", "bmp"}, {".jpe", "jpg"}, {".JFIF", "jpg"}, {".jif", "jpg"}, {".jp", nullptr}, {"", nullptr}, {".bmp ", nullptr}, {"bmp", nullptr},
        {".ico", nullptr},  // written, never read
    };
    for (const Case& c : cases) {
        const TFormatDescriptor* format = FindReadableFormat(c.extension);
        if (!c.format) {
            EXPECT_EQ(format, nullptr) << c.extension;
        } else {
            ASSERT_NE(format, nullptr) << c.extension;
            EXPECT_EQ(format->Name, c.format);
        }
    }
}

// What the rest of the program relies on, for every descriptor the table lists.
TEST(FormatTable, EveryDescriptorIsListedOnceAndWhole) {
    std::set<std::string_view> names, extensions;
    std::set<std::pair<int, int>> places;
    for (const TFormatDescriptor* format : FormatTable()) {
        EXPECT_TRUE(names.insert(format->Name).second) << format->Name;
        EXPECT_FALSE(format->Title.empty()) << format->Name;
        EXPECT_TRUE(format->Reads() || format->Writes()) << format->Name;
        EXPECT_EQ(format->Probe != nullptr, format->Reads()) << format->Name << ": a reader probes";
        for (const TFileExtension& e : format->Extensions) EXPECT_TRUE(extensions.insert(e.Text).second) << e.Text << " twice";
        if (format->Reads()) {
            EXPECT_FALSE(format->Extensions.empty()) << format->Name;
        }
        if (format->Writes()) {
            EXPECT_FALSE(format->Dialog.Caption.empty()) << format->Name;
            EXPECT_TRUE(places.insert({format->Dialog.Row, format->Dialog.Column}).second) << format->Name << ": a place of its own";
            ASSERT_TRUE(FindOutputFormat(format->Name)) << format->Name;
            EXPECT_EQ(&FindOutputFormat(format->Name)->Descriptor(), format);
        }
    }
    EXPECT_FALSE(FindOutputFormat("psd")) << "read, never written";
    EXPECT_FALSE(FindOutputFormat("tiff")) << "the short name alone";
    EXPECT_EQ(DefaultOutputFormat(), OutputFormatNamed("jpg"));
    EXPECT_EQ(OutputExtension(OutputFormatNamed("tif")), ".tif");
}

// The classic six logo extensions, then the web's formats, which carry alpha too.
TEST(FormatTable, LogosAreTheClassicSixThenTheWebFormats) {
    for (const char* e : {".PSD", ".pdd", ".psp", ".png", ".pcx", ".bmp", ".WebP", ".avif", ".jxl"}) EXPECT_NE(FindLogoFormat(e), nullptr) << e;
    for (const char* e : {".jpg", ".gif", ".tga", ".tif", ".wmf", ".ico", ".heic", ".dng"}) EXPECT_EQ(FindLogoFormat(e), nullptr) << e;
    std::vector<std::string_view> order;
    for (const TFormatDescriptor* format : LogoFormats()) order.push_back(format->Name);
    EXPECT_EQ(order, (std::vector<std::string_view>{"psd", "psp", "png", "bmp", "pcx", "webp", "avif", "jxl"}));
}

TEST(FormatTable, SignaturesNameTheirFormat) {
    struct Case { std::vector<std::uint8_t> head; const char* format; };
    const Case cases[] = {
        {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0}, "png"}, {{0xFF, 0xD8, 0xFF, 0xE0}, "jpg"},
        {{'G', 'I', 'F', '8', '9', 'a'}, "gif"}, {{'I', 'I', 42, 0}, "tif"}, {{'M', 'M', 0, 42}, "tif"}, {{'B', 'M', 0}, "bmp"},
        {{'8', 'B', 'P', 'S'}, "psd"}, {{0xD7, 0xCD, 0xC6, 0x9A}, "wmf"}, {{0x0A, 5, 1, 8}, nullptr},  // PCX has no reliable mark
        {{0x89, 'P', 'N'}, nullptr}, {{}, nullptr},
        {{'R', 'I', 'F', 'F', 9, 9, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', ' '}, "webp"},
        {{0, 0, 0, 24, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c', 0, 0, 0, 0}, "heic"},
        {{0, 0, 0, 24, 'f', 't', 'y', 'p', 'm', 'i', 'f', '1', 0, 0, 0, 0}, "heic"},
        {{0, 0, 0, 24, 'f', 't', 'y', 'p', 'a', 'v', 'i', 'f', 0, 0, 0, 0}, "avif"},
        {{0xFF, 0x0A, 0xFA}, "jxl"}, {{0, 0, 0, 12, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A}, "jxl"},
        {{0, 0, 0, 24, 'f', 't', 'y', 'p', 'c', 'r', 'x', ' ', 0, 0, 0, 0}, "raw"},
        {{'I', 'I', 42, 0, 16, 0, 0, 0, 'C', 'R', 2, 0}, "raw"},  // a TIFF structure with Canon's mark
        {{'F', 'U', 'J', 'I', 'F', 'I', 'L', 'M', 'C', 'C', 'D', '-', 'R', 'A', 'W', ' '}, "raw"},
    };
    for (const Case& c : cases) {
        const TFormatDescriptor* format = IdentifyByContent(c.head);
        EXPECT_EQ(format ? format->Name : "none", c.format ? c.format : "none");
    }
}

TEST(FormatTable, SourceDialogListsPddLast) {
    const std::vector<std::string_view> expected = {"bmp", "jpg", "jpeg", "gif", "tga", "tif", "tiff",
                                                    "pcx", "png", "psd", "psp", "wmf", "heic", "heif", "hif",
                                                    "avif", "webp", "jxl", "dng", "cr2", "cr3", "nef", "arw",
                                                    "raf", "orf", "rw2", "pef", "srw", "pdd"};
    EXPECT_EQ(AllSourceExtensions(), expected);
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
    for (const OutputFormat format : OutputFormats()) {
        if (!format->Carries.Alpha || !FindReadableFormat("." + std::string(format->Name))) continue;
        const std::string path = dir.File("alpha." + std::string(format->Name));
        {
            TFileStream file(path, TFileMode::Create);
            format->Encode(file, raster, {.Quality = 100, .Lossless = format->Lossless});
        }
        TDecodeRequest request;
        request.KeepAlpha = true;
        const TBitmap read = format->Decode(testing::ReadFileBytes(path), request).Raster;
        ASSERT_TRUE(read.HasAlpha()) << format->Name;
        // A lossy-only format keeps the alpha and the colours within its coding error; the
        // colour under full transparency is a lossless coder's to choose.
        const int tolerance = format->Lossless || format->Classic ? 0 : 12;
        for (int y = 0; y < 2; ++y)
            for (int i = 0; i < 12; ++i) {
                const std::uint8_t* want = raster.ScanLine(y);
                if (!format->Classic && i % 4 != 3 && want[i / 4 * 4 + 3] == 0) continue;
                EXPECT_LE(std::abs(read.ScanLine(y)[i] - want[i]), tolerance) << format->Name << " row " << y << " byte " << i;
            }
        if (format->Classic && testing::PillowAvailable()) {
            const auto alpha = testing::AlphaWithPillow(path, dir.Path());
            ASSERT_EQ(alpha.size(), 6u) << format->Name;
            EXPECT_EQ(alpha[4], 121) << format->Name << ": Pillow sees the alpha";
            ++compared;
        }
    }
    std::cout << "[ compared ] " << compared << " formats with Pillow\n";
}

}  // namespace
}  // namespace pictorand
