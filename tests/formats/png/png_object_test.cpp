#include "formats/png/png_object.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "graphic_round_trip.h"
#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

struct TParsedChunk {
    std::string Name;
    std::vector<std::uint8_t> Data;
    bool CrcOk;
};

std::uint32_t Be32(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

std::vector<TParsedChunk> Chunks(const std::vector<std::uint8_t>& file) {
    std::vector<TParsedChunk> chunks;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = Be32(&file[at]);
        const std::string name(file.begin() + static_cast<std::ptrdiff_t>(at + 4), file.begin() + static_cast<std::ptrdiff_t>(at + 8));
        std::vector<std::uint8_t> data(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                       file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        const uLong crc = crc32(0, &file[at + 4], 4 + length);
        chunks.push_back({name, data, crc == Be32(&file[at + 8 + length])});
        at += 12 + length;
    }
    return chunks;
}

std::vector<std::uint8_t> Save(const TBitmap& bitmap, TInterlaceMode interlace = TInterlaceMode::NoInterlace) {
    return testing::SaveThrough<TPNGObject>(bitmap, [&](TPNGObject& png) { png.InterlaceMode = interlace; });
}

std::vector<std::uint8_t> Inflate(const std::vector<TParsedChunk>& chunks) {
    std::vector<std::uint8_t> compressed;
    for (const auto& c : chunks)
        if (c.Name == "IDAT") compressed.insert(compressed.end(), c.Data.begin(), c.Data.end());
    std::vector<std::uint8_t> out(1 << 24);
    uLongf size = out.size();
    EXPECT_EQ(uncompress(out.data(), &size, compressed.data(), compressed.size()), Z_OK);
    out.resize(size);
    return out;
}

TBitmap Indexed(TPixelFormat format, int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetPalette({TRGBQuad::From(RGBColor(9, 8, 7)), TRGBQuad::From(RGBColor(200, 100, 50))});
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, (x + y) % 3 ? RGBColor(200, 100, 50) : RGBColor(9, 8, 7));
    return bitmap;
}

TEST(PngObject, TypicalTrueColourOutput) {
    const TBitmap picture = testing::PhotoLike(5, 3);
    const auto file = Save(picture);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 8),
              (std::vector<std::uint8_t>{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}));
    const auto chunks = Chunks(file);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].Name, "IHDR");
    EXPECT_EQ(chunks[0].Data, (std::vector<std::uint8_t>{0, 0, 0, 5, 0, 0, 0, 3, 8, 2, 0, 0, 0}));
    EXPECT_EQ(chunks[1].Name, "IDAT");
    EXPECT_EQ(chunks[1].Data[0], 0x78);
    EXPECT_EQ(chunks[1].Data[1], 0xDA) << "level 7";
    EXPECT_EQ(chunks[2].Name, "IEND");
    EXPECT_EQ(std::vector<std::uint8_t>(file.end() - 12, file.end()),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82}));
    for (const auto& c : chunks) EXPECT_TRUE(c.CrcOk) << c.Name;

    const auto rows = Inflate(chunks);
    ASSERT_EQ(rows.size(), 3u * (1 + 15));
    for (int y = 0; y < 3; ++y) {
        const std::uint8_t* row = &rows[static_cast<std::size_t>(y) * 16];
        EXPECT_EQ(row[0], 1) << "Sub filter";
        const std::uint8_t* pixels = picture.ScanLine(y);
        for (int i = 0; i < 15; ++i) {
            const int x = i / 3, channel = 2 - i % 3;  // red, green, blue from blue-green-red
            const std::uint8_t value = pixels[3 * x + channel];
            const std::uint8_t left = i >= 3 ? pixels[3 * (x - 1) + channel] : 0;
            EXPECT_EQ(row[1 + i], static_cast<std::uint8_t>(value - left));
        }
    }
}

TEST(PngObject, PaletteOutputsCarryFullPalettes) {
    struct Case { TPixelFormat format; int depth; std::size_t entries; std::size_t rowBytes; };
    for (const Case& c : {Case{TPixelFormat::pf8bit, 8, 256, 10}, Case{TPixelFormat::pf4bit, 4, 16, 5},
                          Case{TPixelFormat::pf1bit, 1, 2, 2}}) {
        const auto chunks = Chunks(Save(Indexed(c.format, 10, 4)));
        ASSERT_EQ(chunks.size(), 4u);
        EXPECT_EQ(chunks[0].Data[8], c.depth);
        EXPECT_EQ(chunks[0].Data[9], 3);
        EXPECT_EQ(chunks[1].Name, "PLTE");
        EXPECT_EQ(chunks[1].Data.size(), 3 * c.entries);
        EXPECT_EQ(chunks[1].Data[3], 200);
        const auto rows = Inflate(chunks);
        EXPECT_EQ(rows.size(), 4 * (1 + c.rowBytes));
        EXPECT_EQ(rows[0], 1);
    }
}

TEST(PngObject, TransparencyChunks) {
    TBitmap palette = Indexed(TPixelFormat::pf8bit, 4, 4);
    palette.SetTransparent(true);
    palette.SetTransparentColor(RGBColor(200, 100, 50));
    auto chunks = Chunks(Save(palette));
    ASSERT_EQ(chunks[2].Name, "tRNS");
    EXPECT_EQ(chunks[2].Data, (std::vector<std::uint8_t>{255, 0}));
    palette.SetTransparentColor(RGBColor(1, 1, 1));
    EXPECT_EQ(Chunks(Save(palette))[2].Data, (std::vector<std::uint8_t>{0})) << "a colour not in the palette";

    TBitmap rgb = testing::PhotoLike(4, 4);
    rgb.SetTransparent(true);
    rgb.SetTransparentColor(RGBColor(1, 2, 3));
    EXPECT_EQ(Chunks(Save(rgb))[1].Data, (std::vector<std::uint8_t>{0, 1, 0, 2, 0, 3}));
}

TEST(PngObject, IdatChunksHoldExactlyTheLimit) {
    TBitmap noise;
    noise.SetPixelFormat(TPixelFormat::pf24bit);
    noise.SetSize(300, 300);
    std::uint32_t seed = 1;
    for (std::uint8_t& byte : noise.Bits()) byte = static_cast<std::uint8_t>((seed = seed * 1664525 + 1013904223) >> 24);
    const auto chunks = Chunks(Save(noise));
    std::vector<std::size_t> sizes;
    for (const auto& c : chunks)
        if (c.Name == "IDAT") sizes.push_back(c.Data.size());
    ASSERT_GT(sizes.size(), 2u);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], 65535u);
    EXPECT_GT(sizes.back(), 0u);
    EXPECT_LE(sizes.back(), 65535u);
}

TEST(PngObject, EmptyObjectAndRefusals) {
    TPNGObject png;
    TMemoryStream stream;
    png.SaveToStream(stream);
    EXPECT_EQ(stream.Bytes().size(), 8u) << "only the signature";
    EXPECT_THROW(png.Header(), EPNGHeaderNotPresent);
    EXPECT_THROW(png.SetWidth(3), EPngError);
    png.SetIdatChunkLimit(10);
    EXPECT_EQ(png.IdatChunkLimit(), 65535u);
}

TEST(PngObject, FilterChoiceWithSeveralFilters) {
    TRowFilter narrow(FilterBit(TPngFilter::Sub) | FilterBit(TPngFilter::Up), 2, 1);
    const std::uint8_t two[2] = {5, 9};
    TPngFilter chosen;
    narrow.Apply(two, chosen);
    EXPECT_EQ(chosen, TPngFilter::None) << "rows under three bytes keep filter 0";

    // The filter whose output repeats most bytes wins; a tie keeps the earlier one.
    TRowFilter filter(FilterBit(TPngFilter::Sub) | FilterBit(TPngFilter::Up), 6, 1);
    const std::uint8_t row[6] = {3, 90, 17, 200, 5, 44};
    filter.Apply(row, chosen);
    EXPECT_EQ(chosen, TPngFilter::Sub);
    filter.Apply(row, chosen);
    EXPECT_EQ(chosen, TPngFilter::Up) << "the same row again gives all zeros with Up";
}

TEST(PngObject, IndependentDecoderReadsEveryLayout) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    const std::vector<TBitmap> pictures = {testing::PhotoLike(33, 17), Indexed(TPixelFormat::pf8bit, 13, 7),
                                           Indexed(TPixelFormat::pf4bit, 9, 5), Indexed(TPixelFormat::pf1bit, 17, 3)};
    for (const TBitmap& picture : pictures) {
        for (TInterlaceMode interlace : {TInterlaceMode::NoInterlace, TInterlaceMode::Adam7}) {
            TPNGObject png;
            png.Assign(picture);
            png.InterlaceMode = interlace;
            png.FilterSet = interlace == TInterlaceMode::Adam7 ? TFilterSet{0x1F} : FilterBit(TPngFilter::Sub);
            png.SaveToFile(dir.File("out.png"));
            const auto theirs = testing::DecodeWithPillow(dir.File("out.png"), dir.Path());
            ASSERT_TRUE(theirs);
            EXPECT_TRUE(testing::SamePicture(picture, *theirs)) << picture.Width() << " " << static_cast<int>(interlace);
        }
    }
}

}  // namespace
}  // namespace pictorand
