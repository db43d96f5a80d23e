#include "graphics/bmp_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstring>
#include <map>

#include "corpus.h"
#include "graphics/exceptions.h"
#include "graphics/file_stream.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

std::vector<std::uint8_t> Encode(const TBitmap& bitmap) {
    TMemoryStream stream;
    WriteBmpStream(bitmap, stream);
    return stream.Bytes();
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TBitmap Pattern(TPixelFormat format, int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, RGBColor(static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 60), 255));
    return bitmap;
}

// Little builder for hand-made BMP files with a 40-byte header.
std::vector<std::uint8_t> BuildBmp(int width, int height, int bits, std::uint32_t compression,
                                   const std::vector<std::uint8_t>& palette, const std::vector<std::uint8_t>& pixels) {
    std::vector<std::uint8_t> b;
    auto u16 = [&](std::uint32_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8 & 0xFF); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    const auto offBits = static_cast<std::uint32_t>(54 + palette.size());
    b.push_back('B');
    b.push_back('M');
    u32(offBits + static_cast<std::uint32_t>(pixels.size()));
    u32(0);
    u32(offBits);
    u32(40);
    u32(static_cast<std::uint32_t>(width));
    u32(static_cast<std::uint32_t>(height));
    u16(1);
    u16(static_cast<std::uint32_t>(bits));
    u32(compression);
    u32(static_cast<std::uint32_t>(pixels.size()));
    u32(0);
    u32(0);
    u32(static_cast<std::uint32_t>(palette.size() / 4));
    u32(0);
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

TEST(BmpWrite, RoundTripsEveryPixelFormat) {
    struct Case { TPixelFormat format; int bits; std::uint32_t paletteEntries; std::uint32_t compression; };
    const Case cases[] = {
        {TPixelFormat::pf1bit, 1, 2, 0},   {TPixelFormat::pf4bit, 4, 16, 0},  {TPixelFormat::pf8bit, 8, 256, 0},
        {TPixelFormat::pf15bit, 16, 0, 0}, {TPixelFormat::pf16bit, 16, 0, 3}, {TPixelFormat::pf24bit, 24, 0, 0},
        {TPixelFormat::pf32bit, 32, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const TBitmap original = Pattern(c.format, 7, 3);
        const auto bytes = Encode(original);
        const std::uint32_t tableBytes = c.paletteEntries * 4 + (c.compression == 3 ? 12 : 0);
        EXPECT_EQ(bytes.size(), 54 + tableBytes + original.RowStride() * 3);
        EXPECT_EQ(U32(bytes, 10), 54 + tableBytes) << "pixel offset";
        EXPECT_EQ(U32(bytes, 14), 40u) << "info header size";
        EXPECT_EQ(bytes[28], c.bits);
        EXPECT_EQ(U32(bytes, 30), c.compression);
        EXPECT_EQ(U32(bytes, 46), c.paletteEntries);

        const TBitmap decoded = DecodeBmp(bytes);
        EXPECT_EQ(decoded.PixelFormat(), c.format);
        EXPECT_EQ(decoded.Palette(), original.Palette());
        ASSERT_EQ(decoded.Width(), 7);
        ASSERT_EQ(decoded.Height(), 3);
        EXPECT_TRUE(std::equal(original.Bits().begin(), original.Bits().end(), decoded.Bits().begin()));
    }
}

TEST(BmpWrite, DeviceFormatIsWrittenAs32Bits) {
    TBitmap device = Pattern(TPixelFormat::pfDevice, 2, 2);
    const auto bytes = Encode(device);
    EXPECT_EQ(bytes[28], 32);
    EXPECT_EQ(DecodeBmp(bytes).GetPixel(1, 1), device.GetPixel(1, 1));
}

TEST(BmpRead, DecodesRunLengthData) {
    const std::vector<std::uint8_t> palette = {0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0};
    // Bottom row: 3 x index 1, absolute run 2,0,1; then end of line; top row: delta right 2, 1 x index 2; end.
    const std::vector<std::uint8_t> rle8 = {3, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 2, 0, 1, 2, 0, 1};
    const TBitmap bitmap = DecodeBmp(BuildBmp(6, 2, 8, 1, palette, rle8));
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    const std::uint8_t bottom[] = {1, 1, 1, 2, 0, 1};
    EXPECT_TRUE(std::equal(bottom, bottom + 6, bitmap.ScanLine(1)));
    const std::uint8_t top[] = {0, 0, 2, 0, 0, 0};
    EXPECT_TRUE(std::equal(top, top + 6, bitmap.ScanLine(0)));

    // RLE4: 5 pixels alternating 1 and 2, then absolute 3 nibbles 3,4,5.
    const std::vector<std::uint8_t> rle4 = {5, 0x12, 0, 3, 0x34, 0x50, 0, 1};
    const TBitmap four = DecodeBmp(BuildBmp(8, 1, 4, 2, palette, rle4));
    const std::uint8_t packed[] = {0x12, 0x12, 0x13, 0x45};
    EXPECT_TRUE(std::equal(packed, packed + 4, four.ScanLine(0)));
}

TEST(BmpRead, RunsThatLeaveTheRasterAreCut) {
    const std::vector<std::uint8_t> palette = {0, 0, 0, 0, 255, 255, 255, 0};
    const std::vector<std::uint8_t> rle8 = {255, 1, 0, 2, 200, 200, 0, 9, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const TBitmap bitmap = DecodeBmp(BuildBmp(4, 2, 8, 1, palette, rle8));
    EXPECT_EQ(bitmap.ScanLine(1)[3], 1);
}

// Bit fields with an alpha mask (BI_ALPHABITFIELDS: four masks after the header) hand
// their alpha over when it is wanted; a file whose alpha is zero everywhere is opaque.
TEST(BmpRead, AlphaMasksGiveTheirAlphaWhenWanted) {
    auto masked = [](int bits, std::vector<std::uint32_t> masks, std::vector<std::uint8_t> pixels) {
        std::vector<std::uint8_t> table;
        for (std::uint32_t m : masks)
            for (int k = 0; k < 4; ++k) table.push_back(static_cast<std::uint8_t>(m >> (8 * k)));
        return BuildBmp(2, 1, bits, 6, table, pixels);
    };
    // 32 bits, A8R8G8B8: half-covered red, then a clear pixel.
    const auto argb32 = masked(32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0, 0, 255, 128, 9, 9, 9, 0});
    const TBitmap wanted = DecodeBmp(argb32, true);
    ASSERT_TRUE(wanted.HasAlpha());
    const std::uint8_t* p = wanted.ScanLine(0);
    EXPECT_EQ((std::vector<int>(p, p + 8)), (std::vector<int>{0, 0, 255, 128, 9, 9, 9, 0}));
    EXPECT_FALSE(DecodeBmp(argb32).HasAlpha()) << "the classic reading keeps its pixels";

    // 16 bits, A4R4G4B4 (bmpsuite's rgba16-4444) and A1R5G5B5.
    const TBitmap argb4444 = DecodeBmp(masked(16, {0x0F00, 0x00F0, 0x000F, 0xF000}, {0x0F, 0x8F, 0xF0, 0x0F, 0, 0}), true);
    ASSERT_TRUE(argb4444.HasAlpha());
    p = argb4444.ScanLine(0);
    EXPECT_EQ((std::vector<int>(p, p + 8)), (std::vector<int>{255, 0, 255, 136, 0, 255, 255, 0}));
    const TBitmap argb1555 = DecodeBmp(masked(16, {0x7C00, 0x03E0, 0x001F, 0x8000}, {0x00, 0xFC, 0x1F, 0x00, 0, 0}), true);
    ASSERT_TRUE(argb1555.HasAlpha());
    p = argb1555.ScanLine(0);
    EXPECT_EQ((std::vector<int>{p[2], p[3], p[4], p[7]}), (std::vector<int>{255, 255, 255, 0}));

    EXPECT_FALSE(DecodeBmp(masked(32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {1, 2, 3, 0, 4, 5, 6, 0}), true).HasAlpha())
        << "an alpha field left at zero everywhere";
}

TEST(BmpRead, RejectsMalformedFiles) {
    const std::vector<std::uint8_t> palette = {0, 0, 0, 0, 255, 255, 255, 0};
    const auto good = BuildBmp(4, 2, 8, 0, palette, std::vector<std::uint8_t>(8, 1));
    ASSERT_NO_THROW(DecodeBmp(good));
    struct Case { const char* what; std::vector<std::uint8_t> bytes; };
    std::vector<Case> cases = {
        {"empty", {}},
        {"no signature", {'B', 'X'}},
        {"pixels cut short", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
        {"header cut short", std::vector<std::uint8_t>(good.begin(), good.begin() + 30)},
        {"zero width", BuildBmp(0, 2, 8, 0, palette, {})},
        {"bit count 7", BuildBmp(4, 2, 7, 0, palette, std::vector<std::uint8_t>(8))},
        {"RLE8 with 4 bits", BuildBmp(4, 2, 4, 1, palette, {0, 1})},
        {"compression 9", BuildBmp(4, 2, 8, 9, palette, std::vector<std::uint8_t>(8))},
        {"huge raster, tiny data", BuildBmp(200000, 200000, 24, 0, {}, {1, 2, 3})},
        {"huge run-length raster", BuildBmp(60000, 60000, 8, 1, palette, {0, 1})},
    };
    for (const Case& c : cases) {
        EXPECT_THROW(DecodeBmp(c.bytes), EInvalidGraphic) << c.what;
    }
}

TEST(BmpRead, ShortStreamRaisesTheReadError) {
    TMemoryStream stream(std::vector<std::uint8_t>{'B', 'M', 1});
    TBitmap bitmap;
    EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic);
}

std::map<std::string, TBitmap> LoadAll(const std::filesystem::path& folder) {
    std::map<std::string, TBitmap> loaded;
    for (const auto& file : testing::CorpusFiles(folder, ".bmp")) {
        TBitmap bitmap;
        bitmap.LoadFromFile(file.string());
        loaded.emplace(file.filename().string(), std::move(bitmap));
    }
    return loaded;
}

void ExpectSamePicture(const TBitmap& a, const TBitmap& b, const std::string& what) {
    ASSERT_EQ(a.Width(), b.Width()) << what;
    ASSERT_EQ(a.Height(), b.Height()) << what;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            ASSERT_EQ(a.GetPixel(x, y), b.GetPixel(x, y)) << what << " at " << x << "," << y;
}

TEST(BmpSuite, EveryGoodFileLoadsAndEncodingsAgree) {
    PICTORAND_REQUIRE_CORPUS(folder, "bmpsuite/g");
    std::map<std::string, TBitmap> loaded;
    ASSERT_NO_THROW(loaded = LoadAll(folder));
    EXPECT_EQ(loaded.size(), 23u);
    for (const auto& [name, bitmap] : loaded) {
        EXPECT_FALSE(bitmap.Empty()) << name;
    }
    // The same picture in different encodings must decode to the same pixels.
    const std::vector<std::vector<std::string>> families = {
        {"pal8.bmp", "pal8-0.bmp", "pal8rle.bmp", "pal8topdown.bmp", "pal8os2.bmp", "pal8v4.bmp", "pal8v5.bmp"},
        {"pal4.bmp", "pal4rle.bmp"},
        {"rgb24.bmp", "rgb32.bmp", "rgb32bf.bmp", "rgb24pal.bmp"},
        {"rgb16.bmp", "rgb16-565pal.bmp"},
    };
    for (const auto& family : families) {
        for (std::size_t i = 1; i < family.size(); ++i) {
            if (family[0] == "rgb16.bmp") {
                ExpectSamePicture(loaded.at("rgb16-565.bmp"), loaded.at(family[i]), family[i]);
            } else {
                ExpectSamePicture(loaded.at(family[0]), loaded.at(family[i]), family[i]);
            }
        }
    }
    EXPECT_EQ(loaded.at("pal1.bmp").PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(loaded.at("pal4.bmp").PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(loaded.at("rgb16.bmp").PixelFormat(), TPixelFormat::pf15bit);
    EXPECT_EQ(loaded.at("rgb16-565.bmp").PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(loaded.at("rgb24.bmp").GetPixel(0, 0), loaded.at("rgb32bf.bmp").GetPixel(0, 0));
}

// Rows a decode gives a band at a time, against the whole decode's; false when the decode
// did not give them so.
bool BandsAreTheWholeDecode(const std::vector<std::uint8_t>& file, const std::string& name) {
    const TBitmap whole = DecodeBmp(file);
    std::vector<int> given(static_cast<std::size_t>(whole.Height()), 0);
    const TRowSink sink = [&](TBitmap& band, int first, int count) {
        ASSERT_TRUE(first >= 0 && first + count <= whole.Height()) << name;
        ASSERT_EQ(band.PixelFormat(), whole.PixelFormat()) << name;
        for (int r = 0; r < count; ++r) {
            ++given[static_cast<std::size_t>(first + r)];
            for (int x = 0; x < whole.Width(); ++x) ASSERT_EQ(band.GetPixel(x, r), whole.GetPixel(x, first + r)) << name << " row " << first + r;
        }
    };
    if (!DecodeBmp(file, false, &sink).Empty()) return false;
    EXPECT_EQ(std::count(given.begin(), given.end(), 1), whole.Height()) << name << ": every row once";
    return true;
}

// Pictures stored as they are give their rows a band at a time, from the bottom or from the
// top, in every depth; run-length ones are decoded whole.
TEST(BmpRead, StoredRowsAreGivenABandAtATime) {
    TBitmap tall = Pattern(TPixelFormat::pf24bit, 7, 600);
    for (int y = 0; y < 600; ++y) tall.SetPixel(y % 7, y, RGBColor(static_cast<std::uint8_t>(y), 0, static_cast<std::uint8_t>(y / 3)));
    std::vector<std::uint8_t> file = Encode(tall);
    EXPECT_TRUE(BandsAreTheWholeDecode(file, "bottom-up"));
    const std::uint32_t height = U32(file, 22);
    const std::uint32_t flipped = ~height + 1;  // a negative height: stored from the top
    for (int k = 0; k < 4; ++k) file[22 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(flipped >> (8 * k));
    EXPECT_TRUE(BandsAreTheWholeDecode(file, "top-down"));
    PICTORAND_REQUIRE_CORPUS(folder, "bmpsuite/g");
    int whole = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        TFileStream in(entry.path().string(), TFileMode::OpenRead);
        const TByteBuffer bytes = in.ReadRemaining(1 << 24);
        whole += !BandsAreTheWholeDecode(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), entry.path().filename().string());
    }
    EXPECT_EQ(whole, 2) << "the run-length files, pal4rle and pal8rle";
}

// bmpsuite's questionable alpha files: one picture in three encodings of 32 bits,
// half of it transparent, and 4-bit alpha in 16.
TEST(BmpSuite, AlphaFilesAgreeAndCarryTheirAlpha) {
    PICTORAND_REQUIRE_CORPUS(folder, "bmpsuite/q");
    std::map<std::string, TBitmap> loaded;
    for (const char* name : {"rgba32.bmp", "rgba32abf.bmp", "rgba32h56.bmp", "rgba16-4444.bmp"}) {
        const auto bytes = testing::ReadFileBytes((folder / name).string());
        loaded.emplace(name, DecodeBmp(bytes, true));
        EXPECT_TRUE(loaded.at(name).HasAlpha()) << name;
    }
    for (const char* name : {"rgba32abf.bmp", "rgba32h56.bmp"}) {
        const TBitmap& a = loaded.at("rgba32.bmp");
        const TBitmap& b = loaded.at(name);
        ASSERT_EQ(a.Height(), b.Height());
        for (int y = 0; y < a.Height(); ++y) EXPECT_EQ(std::memcmp(a.ScanLine(y), b.ScanLine(y), a.RowStride()), 0) << name << " row " << y;
    }
    int clear = 0, opaque = 0;
    const TBitmap& rgba = loaded.at("rgba32.bmp");
    for (int y = 0; y < rgba.Height(); ++y)
        for (int x = 0; x < rgba.Width(); ++x) ++(rgba.ScanLine(y)[4 * x + 3] < 128 ? clear : opaque);
    EXPECT_GT(clear, 0);
    EXPECT_GT(opaque, 0);
}

TEST(BmpSuite, BadAndQuestionableFilesNeverCrash) {
    PICTORAND_REQUIRE_CORPUS(root, "bmpsuite");
    int rejected = 0;
    for (const char* sub : {"b", "q"}) {
        for (const auto& file : testing::CorpusFiles(root / sub, ".bmp")) {
            TBitmap bitmap;
            try {
                bitmap.LoadFromFile(file.string());
                // Whatever loaded must be a consistent raster that can be written again.
                TMemoryStream out;
                bitmap.SaveToStream(out);
            } catch (const EInvalidGraphic&) {
                ++rejected;
            }
        }
    }
    EXPECT_GT(rejected, 5);
}

TEST(BmpSuite, KnownBadFilesAreRejected) {
    PICTORAND_REQUIRE_CORPUS(folder, "bmpsuite/b");
    for (const char* name : {"badbitcount.bmp", "badheadersize.bmp", "badplanes.bmp", "badwidth.bmp",
                             "reallybig.bmp", "rletopdown.bmp", "shortfile.bmp"}) {
        TBitmap bitmap;
        EXPECT_THROW(bitmap.LoadFromFile((folder / name).string()), EInvalidGraphic) << name;
    }
}

}  // namespace
}  // namespace pictorand
