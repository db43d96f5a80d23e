#include "formats/png/png_graphic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <zlib.h>

#include "corpus.h"
#include "graphics/exceptions.h"
#include "graphic_round_trip.h"
#include "independent_decoder.h"
#include "png_builder.h"
#include "temp_dir.h"
#include "formats/png/png_format.h"
#include "formats/png/png_object.h"

namespace pictorand {
namespace {

TBitmap LoadPng(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TPNGGraphic png;
    png.LoadFromStream(stream);
    return static_cast<const TBitmap&>(png);
}

std::vector<std::uint8_t> Write(const TBitmap& bitmap, TInterlaceMode interlace = TInterlaceMode::NoInterlace) {
    return testing::SaveThrough<TPNGObject>(bitmap, [&](TPNGObject& png) { png.InterlaceMode = interlace; });
}

TEST(PngGraphic, ReadsWhatTheWriterWritesInterlacedOrNot) {
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetSize(13, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) picture.SetPixel(x, y, RGBColor(static_cast<std::uint8_t>(x * 19), static_cast<std::uint8_t>(y * 27), 77));
    const TBitmap plain = LoadPng(Write(picture));
    const TBitmap interlaced = LoadPng(Write(picture, TInterlaceMode::Adam7));
    EXPECT_TRUE(testing::SamePicture(plain, picture));
    EXPECT_TRUE(testing::SamePicture(interlaced, picture));

    TBitmap indexed;
    indexed.SetPixelFormat(TPixelFormat::pf4bit);
    indexed.SetSize(7, 5);
    indexed.SetPixel(3, 2, RGBColor(0, 0, 255));
    const TBitmap back = LoadPng(Write(indexed, TInterlaceMode::Adam7));
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_TRUE(testing::SamePicture(back, indexed));
}

TEST(PngGraphic, BrokenFilesGiveTheReadersMessages) {
    using testing::TPngBuilder;
    // A 2 x 1 grey picture: filter byte 0, then two samples.
    const std::vector<std::uint8_t> rows = {0, 10, 20};
    struct Case { std::vector<std::uint8_t> bytes; const char* message; };
    const Case cases[] = {
        {TPngBuilder().Header(2, 1, 8, 0, TPngBuilder::TCrc::Wrong).ImageData(rows).End().Build(),
         "Cannot load image. CRC error found in PNG file."},
        {TPngBuilder().Header(2, 1, 8, 0).Chunk("IDAT", {0x78, 0x9C}, TPngBuilder::TCrc::Wrong).End().Build(),
         "Cannot load image. CRC error found in PNG file."},
        {TPngBuilder().Build(), "Cannot load image. Invalid or unexpected PNG image format."},
        {TPngBuilder().Header(0, 1, 8, 0).ImageData(rows).End().Build(), "Cannot load image. Invalid or unexpected PNG image format."},
        {TPngBuilder().Header(2, 1, 8, 0).ImageData(rows).Chunk("QEND", {}).Build(),
         "Cannot load PNG image. Unexpected but critical chunk detected."},
        {TPngBuilder().Header(2, 1, 3, 0).ImageData(rows).End().Build(), "Invalid color format in PNG file."},
        {TPngBuilder().Header(2, 1, 8, 5).ImageData(rows).End().Build(), "Invalid color format in PNG file."},
    };
    for (const Case& c : cases) {
        try {
            LoadPng(c.bytes);
            ADD_FAILURE() << c.message;
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    const auto good = TPngBuilder().Header(2, 1, 8, 0).ImageData(rows).End().Build();
    EXPECT_EQ(LoadPng(good).GetPixel(1, 0), RGBColor(20, 20, 20));
}

TEST(PngGraphic, TruncatedDataLoadsWithoutError) {
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetSize(64, 64);
    picture.Fill(RGBColor(1, 2, 3));
    auto bytes = Write(picture);
    bytes.resize(bytes.size() - 30);
    TBitmap loaded;
    EXPECT_NO_THROW(loaded = LoadPng(bytes));
    EXPECT_EQ(loaded.Width(), 64);
}

TEST(PngGraphic, FilesCutShortKeepEveryRowTheyHold) {
    using testing::TPngBuilder;
    // 32 x 32 grey rows of value 8 x y, stored raw (filter 0), in one image data chunk
    // whose deflate stream is stored rather than compressed, so a cut removes late rows.
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 32; ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), 32, static_cast<std::uint8_t>(8 * y));
    }
    std::vector<std::uint8_t> stored(compressBound(static_cast<uLong>(rows.size())));
    uLongf size = static_cast<uLongf>(stored.size());
    compress2(stored.data(), &size, rows.data(), static_cast<uLong>(rows.size()), Z_NO_COMPRESSION);
    stored.resize(size);
    const auto whole = TPngBuilder().Header(32, 32, 8, 0).Chunk("IDAT", stored).End().Build();
    const auto cut = std::vector<std::uint8_t>(whole.begin(), whole.end() - 12 - 4 - 4 - 33 * 12);
    const TBitmap loaded = LoadPng(cut);
    ASSERT_EQ(loaded.Height(), 32);
    EXPECT_EQ(loaded.GetPixel(5, 10), RGBColor(80, 80, 80)) << "a row before the cut";
    EXPECT_EQ(loaded.GetPixel(5, 31), clWhite) << "the background where no row arrived";

    // A whole picture followed by a chunk the file ends inside.
    auto trailing = TPngBuilder().Header(32, 32, 8, 0).ImageData(rows).Chunk("tEXt", std::vector<std::uint8_t>(40, 'a')).Build();
    trailing.resize(trailing.size() - 20);
    EXPECT_EQ(LoadPng(trailing).GetPixel(5, 31), RGBColor(248, 248, 248));
}

// Such a picture goes to a row sink a band at a time, rows in order, the same rows as a
// whole decode, also when the file is cut short (the rows never reached are background);
// a picture small enough to inflate whole is decoded whole as ever.
TEST(PngGraphic, APictureTooLargeToInflateWholeIsGivenABandAtATime) {
    const std::vector<std::uint8_t> file = testing::PngTooLargeToInflateWhole();
    for (const std::size_t length : {file.size(), file.size() / 2}) {
        const std::span<const std::uint8_t> bytes(file.data(), length);
        const TDecodedImage whole = PngFormat.Decode(bytes, {});
        ASSERT_EQ(whole.Raster.Height(), 13500);
        int next = 0, largestBand = 0;
        bool same = true;
        const TDecodedImage streamed = PngFormat.DecodeRows(bytes, {}, [&](TBitmap& band, int first, int count) {
            same = same && first == next && band.Width() == whole.Raster.Width() && band.PixelFormat() == whole.Raster.PixelFormat();
            for (int r = 0; r < count && same; ++r)
                same = std::memcmp(band.ScanLine(r), whole.Raster.ScanLine(first + r), whole.Raster.RowStride()) == 0;
            next = first + count;
            largestBand = std::max(largestBand, band.Height());
        });
        EXPECT_TRUE(streamed.Streamed);
        EXPECT_TRUE(same) << length;
        EXPECT_EQ(next, 13500) << length;
        EXPECT_LE(largestBand, 256);
        EXPECT_EQ(streamed.Warnings, whole.Warnings);
        EXPECT_EQ(whole.Warnings.empty(), length == file.size());
    }
    std::vector<std::uint8_t> small;
    for (int y = 0; y < 4; ++y) small.insert(small.end(), {0, 1, 2, 3, 4});
    const auto smallFile = testing::TPngBuilder().Header(4, 4, 8, 0).ImageData(small).End().Build();
    const TDecodedImage decoded = PngFormat.DecodeRows(smallFile, {}, [](TBitmap&, int, int) { FAIL() << "no rows expected"; });
    EXPECT_FALSE(decoded.Streamed);
    EXPECT_EQ(decoded.Raster.Height(), 4);
}

// Pillow applies no gamma; the reader does, with main gamma = file gamma, display 2.2.
std::uint8_t Gamma(std::uint8_t value, double fileGamma) {
    return static_cast<std::uint8_t>(std::lround(std::pow(value / 255.0, 1.0 / (fileGamma * 2.2)) * 255));
}

TBitmap LoadPngWithAlpha(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TPNGGraphic png;
    png.KeepAlpha = true;
    png.LoadFromStream(stream);
    return static_cast<const TBitmap&>(png);
}

std::vector<std::uint8_t> Be16Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (const int v : values) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
    return bytes;
}

// Where alpha is kept, tRNS is alpha: a palette's per entry (2-bit and 8-bit indexes), and a
// key by the samples as stored, at 16 bits and before any gAMA table.
TEST(PngGraphic, TransparencyChunkBecomesAlphaByTheStoredSamples) {
    using testing::TPngBuilder;
    // Palette of three entries, alpha 0, 85 and 255 (and none for the fourth), 2 bits a pixel.
    const std::vector<std::uint8_t> plte = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    for (const int depth : {2, 8}) {
        const std::vector<std::uint8_t> row = depth == 2 ? std::vector<std::uint8_t>{0, 0x1B} : std::vector<std::uint8_t>{0, 0, 1, 2, 3};
        const TBitmap palette = LoadPngWithAlpha(
            TPngBuilder().Header(4, 1, static_cast<std::uint8_t>(depth), 3).Chunk("PLTE", plte).Chunk("tRNS", {0, 85, 255}).ImageData(row).End().Build());
        ASSERT_TRUE(palette.HasAlpha()) << depth;
        const std::uint8_t* p = palette.ScanLine(0);
        EXPECT_EQ((std::vector<int>{p[3], p[7], p[11], p[15]}), (std::vector<int>{0, 85, 255, 255})) << depth;
        EXPECT_EQ(palette.GetPixel(1, 0), RGBColor(40, 50, 60)) << depth;
    }
    // Grey 16487 is not the key 16575, though both are 64 at 8 bits.
    const auto grey = Be16Bytes({16487, 16575});
    std::vector<std::uint8_t> greyRow = {0};
    greyRow.insert(greyRow.end(), grey.begin(), grey.end());
    const TBitmap deep = LoadPngWithAlpha(TPngBuilder().Header(2, 1, 16, 0).Chunk("tRNS", Be16Bytes({16575})).ImageData(greyRow).End().Build());
    ASSERT_TRUE(deep.HasAlpha());
    EXPECT_EQ(deep.ScanLine(0)[3], 255);
    EXPECT_EQ(deep.ScanLine(0)[7], 0);
    // With gAMA, an opaque 254 stays opaque beside the keyed 255.
    const std::vector<std::uint8_t> gamma = {0, 0, 0xB1, 0x8F};  // 0.45455
    const TBitmap bright = LoadPngWithAlpha(TPngBuilder()
                                                .Header(2, 1, 8, 2)
                                                .Chunk("gAMA", gamma)
                                                .Chunk("tRNS", Be16Bytes({255, 255, 255}))
                                                .ImageData({0, 254, 254, 254, 255, 255, 255})
                                                .End()
                                                .Build());
    ASSERT_TRUE(bright.HasAlpha());
    EXPECT_EQ(bright.ScanLine(0)[3], 255);
    EXPECT_EQ(bright.ScanLine(0)[7], 0);
    // Without alpha kept, the key is the picture's transparent colour, as ever.
    const TBitmap classic = LoadPng(TPngBuilder().Header(2, 1, 16, 0).Chunk("tRNS", Be16Bytes({16575})).ImageData(greyRow).End().Build());
    EXPECT_FALSE(classic.HasAlpha());
    EXPECT_TRUE(classic.Transparent());
}

// A file with a profile and gAMA: when the run converts through the profile, the pixels are
// not corrected by the gAMA table first, whichever chunk comes first; otherwise they are.
TEST(PngGraphic, GammaIsNotAppliedBeforeAProfileConversion) {
    using testing::TPngBuilder;
    const std::vector<std::uint8_t> gamma = {0, 0x01, 0x86, 0xA0};  // 1.0: linear samples
    const std::vector<std::uint8_t> profile = {'x', 0, 0, 0x78, 0x9C, 0x03, 0, 0, 0, 0, 1};
    const std::vector<std::uint8_t> rows = {0, 64, 128, 192};
    const auto gammaFirst = TPngBuilder().Header(3, 1, 8, 0).Chunk("gAMA", gamma).Chunk("iCCP", profile).ImageData(rows).End().Build();
    const auto profileFirst = TPngBuilder().Header(3, 1, 8, 0).Chunk("iCCP", profile).Chunk("gAMA", gamma).ImageData(rows).End().Build();
    for (const auto& bytes : {gammaFirst, profileFirst}) {
        for (const bool converts : {true, false}) {
            TMemoryStream stream(bytes);
            TPNGGraphic png;
            png.ProfileConverts = converts;
            png.LoadFromStream(stream);
            const TBitmap& picture = png;
            if (converts) EXPECT_EQ(picture.GetPixel(1, 0), RGBColor(128, 128, 128));
            else EXPECT_NE(picture.GetPixel(1, 0), RGBColor(128, 128, 128)) << "the classic gAMA table";
        }
    }
}

// cHRM with gAMA (and no iCCP or sRGB) describes a profile the run converts through: the
// gAMA table is then left to it. With an sRGB chunk, or outside the conversion, it is not.
TEST(PngGraphic, ChromaticitiesTakeTheGammaOverWhenTheRunConverts) {
    using testing::TPngBuilder;
    const std::vector<std::uint8_t> gamma = {0, 0x01, 0x86, 0xA0};
    std::vector<std::uint8_t> chrm;
    for (const std::uint32_t v : {31270u, 32900u, 64000u, 33000u, 21000u, 71000u, 15000u, 6000u})
        chrm.insert(chrm.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                                 static_cast<std::uint8_t>(v)});
    const std::vector<std::uint8_t> rows = {0, 64, 128, 192};
    const auto described = TPngBuilder().Header(3, 1, 8, 0).Chunk("cHRM", chrm).Chunk("gAMA", gamma).ImageData(rows).End().Build();
    const auto srgb = TPngBuilder().Header(3, 1, 8, 0).Chunk("sRGB", {0}).Chunk("cHRM", chrm).Chunk("gAMA", gamma).ImageData(rows).End().Build();
    struct Case { const std::vector<std::uint8_t>& bytes; bool converts; bool untouched; };
    for (const Case& c : {Case{described, true, true}, Case{described, false, false}, Case{srgb, true, false}}) {
        TMemoryStream stream(c.bytes);
        TPNGGraphic png;
        png.ProfileConverts = c.converts;
        png.LoadFromStream(stream);
        const TBitmap& picture = png;
        EXPECT_EQ(picture.GetPixel(1, 0) == RGBColor(128, 128, 128), c.untouched) << c.converts;
    }
}

TEST(PngGraphic, PngSuiteMatchesAnIndependentDecoder) {
    PICTORAND_REQUIRE_CORPUS(folder, "pngsuite");
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    testing::TCorpusTally tally;
    int rejected = 0;
    for (const auto& file : testing::CorpusFiles(folder, ".png")) {
        const std::string name = file.filename().string();
        TPNGGraphic png;
        if (name[0] == 'x') {
            try {
                png.LoadFromFile(file.string());
                ADD_FAILURE() << name << " should be rejected";
            } catch (const EInvalidGraphic&) {
                ++rejected;
            }
            continue;
        }
        ASSERT_NO_THROW(png.LoadFromFile(file.string())) << name;
        const auto theirs = testing::DecodeWithPillow(file, dir.Path());
        ASSERT_TRUE(theirs) << name;
        ASSERT_EQ(png.Width(), theirs->Width()) << name;
        const bool gamma = png.ImageProperties().Options & image_options::GammaApplied;
        const double fileGamma = png.ImageProperties().FileGamma;
        const int tolerance = png.ImageProperties().BitsPerSample == 16 ? 1 : 0;
        int worst = 0;
        for (int y = 0; y < png.Height(); ++y) {
            for (int x = 0; x < png.Width(); ++x) {
                const TColor ours = png.GetPixel(x, y), other = theirs->GetPixel(x, y);
                for (int shift : {0, 8, 16}) {
                    auto v = static_cast<std::uint8_t>(other >> shift);
                    if (gamma) v = Gamma(v, fileGamma);
                    worst = std::max(worst, std::abs(static_cast<int>(ours >> shift & 255) - v));
                }
            }
        }
        EXPECT_LE(worst, tolerance + (gamma ? 1 : 0)) << name;
        tally.Compared();
    }
    EXPECT_GT(tally.ComparedCount(), 150);
    EXPECT_EQ(rejected, 14);
}

}  // namespace
}  // namespace pictorand
