#include "formats/pcx/pcx_graphic.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "corpus.h"
#include "formats/pcx/pcx_writer.h"
#include "graphic_round_trip.h"
#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

std::vector<std::uint8_t> Header(int width, int height, int bits, int planes, int bytesPerLine, int version = 5) {
    std::vector<std::uint8_t> h(128, 0);
    h[0] = 10;
    h[1] = static_cast<std::uint8_t>(version);
    h[2] = 1;
    h[3] = static_cast<std::uint8_t>(bits);
    h[8] = static_cast<std::uint8_t>(width - 1);
    h[10] = static_cast<std::uint8_t>(height - 1);
    h[65] = static_cast<std::uint8_t>(planes);
    h[66] = static_cast<std::uint8_t>(bytesPerLine);
    h[68] = 1;
    for (int i = 0; i < 4; ++i) h[16 + 3 * static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 80);  // reds 0, 80, 160, 240
    return h;
}

TBitmap Load(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TPCXGraphic pcx;
    pcx.LoadFromStream(stream);
    return static_cast<const TBitmap&>(pcx);
}

TEST(PcxGraphic, LayoutsAndPalettes) {
    auto twoBit = Header(4, 1, 2, 1, 1);
    twoBit.push_back(0b00011011);  // 0, 1, 2, 3
    const TBitmap two = Load(twoBit);
    ASSERT_EQ(two.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(two.ScanLine(0)[0], 0x05);
    EXPECT_EQ(two.ScanLine(0)[1], 0xAF) << "values x 5";
    EXPECT_EQ(two.GetPixel(1, 0), RGBColor(80, 0, 0)) << "the header palette resampled to 16 entries";

    auto planes = Header(8, 1, 1, 4, 1);
    planes.insert(planes.end(), {0x80, 0x00, 0x00, 0x00});
    const TBitmap sixteen = Load(planes);
    ASSERT_EQ(sixteen.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(sixteen.ScanLine(0)[0], 0x10);

    // 24-bit planes with a run crossing from the red plane into the green one.
    auto rgb = Header(2, 1, 8, 3, 2);
    rgb.insert(rgb.end(), {0xC3, 200, 7, 9, 9});
    const TBitmap colour = Load(rgb);
    EXPECT_EQ(colour.GetPixel(0, 0), RGBColor(200, 200, 9));
    EXPECT_EQ(colour.GetPixel(1, 0), RGBColor(200, 7, 9));

    auto eight = Header(2, 1, 8, 1, 2);
    eight.insert(eight.end(), {0, 1});
    std::vector<std::uint8_t> block(769, 0);
    block[0] = 12;
    block[5] = 99;  // green of entry 1
    eight.insert(eight.end(), block.begin(), block.end());
    EXPECT_EQ(Load(eight).GetPixel(1, 0), RGBColor(0, 99, 0));
}

TEST(PcxGraphic, BadFilesAreRejected) {
    auto bad = Header(2, 1, 8, 1, 2);
    bad[0] = 7;
    EXPECT_THROW(Load(bad), EInvalidGraphic);
    auto layout = Header(2, 1, 3, 2, 2);
    layout.insert(layout.end(), {0, 0, 0, 0});
    EXPECT_THROW(Load(layout), EInvalidGraphic);
    auto narrow = Header(200, 1, 8, 3, 2);  // lines too short for the width
    narrow.insert(narrow.end(), {0, 0, 0, 0, 0, 0});
    EXPECT_THROW(Load(narrow), EInvalidGraphic);
}

std::int64_t PeakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A tiny file claiming 30000 lines of 65535 bytes (2 GB of rows for a 1-pixel-wide
// picture) loads what its data holds without holding the rows it cannot reach.
TEST(PcxGraphic, HugeLinesOfATinyFileAreRefusedBeforeTheyAreHeld) {
    constexpr int lines = 30000;
    auto tiny = Header(1, 1, 8, 1, 0);
    tiny[10] = (lines - 1) & 0xFF;
    tiny[11] = (lines - 1) >> 8;
    tiny[66] = tiny[67] = 0xFF;
    tiny.insert(tiny.end(), {0xC1, 42});
    std::vector<std::uint8_t> block(769, 0);
    block[0] = 12;
    tiny.insert(tiny.end(), block.begin(), block.end());
    const std::int64_t before = PeakResidentKilobytes();
    try {
        Load(tiny);
        ADD_FAILURE() << "two bytes of data cannot fill 30,000 lines of 65,535 bytes";
    } catch (const EInvalidGraphic& error) {
        EXPECT_STREQ(error.what(), "Cannot load image. The PCX or SCR file holds too little data for the picture it claims.");
    }
    EXPECT_LT(PeakResidentKilobytes() - before, 64 * 1024);
    // Fewer such lines, with the data that fills them at the longest runs, load.
    constexpr int fewer = 300;
    const int runs = fewer * 65535 / 63 + 1;
    std::vector<std::uint8_t> enough = Header(1, 1, 8, 1, 0);
    enough[10] = (fewer - 1) & 0xFF;
    enough[11] = (fewer - 1) >> 8;
    enough[66] = enough[67] = 0xFF;
    for (int i = 0; i < runs; ++i) enough.insert(enough.end(), {0xFF, 42});
    enough.insert(enough.end(), block.begin(), block.end());
    EXPECT_EQ(Load(enough).Height(), fewer);
}

TEST(PcxGraphic, EightBitPicturesWithoutAPaletteTrailerKeepTheirLastBytes) {
    // 40 x 40 raw 8-bit grey pixels, no trailer: the last 769 bytes are the last rows.
    auto file = Header(40, 40, 8, 1, 40);
    file[2] = 0;   // uncompressed
    file[68] = 2;  // greyscale
    for (int y = 0; y < 40; ++y) file.insert(file.end(), 40, static_cast<std::uint8_t>(y * 5));
    const TBitmap loaded = Load(file);
    EXPECT_EQ(loaded.GetPixel(3, 39), RGBColor(195, 195, 195));
    EXPECT_EQ(loaded.GetPixel(3, 25), RGBColor(125, 125, 125));
}

TEST(PcxGraphic, ThreeBitPlanesAndFourByteOfPlanes) {
    // 8 colours from three 1-bit planes: pixel x holds the index x.
    auto eight = Header(8, 1, 1, 3, 1);
    eight[2] = 0;  // uncompressed
    for (std::size_t i = 0; i < 8; ++i) {
        eight[16 + 3 * i] = static_cast<std::uint8_t>(30 * i);
        eight[17 + 3 * i] = static_cast<std::uint8_t>(255 - 30 * i);
        eight[18 + 3 * i] = static_cast<std::uint8_t>(7 * i);
    }
    eight.insert(eight.end(), {0x55, 0x33, 0x0F});
    const TBitmap indexed = Load(eight);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(indexed.GetPixel(x, 0), RGBColor(static_cast<std::uint8_t>(30 * x), static_cast<std::uint8_t>(255 - 30 * x),
                                                   static_cast<std::uint8_t>(7 * x)))
            << x;
    }
    // Red, green, blue and alpha planes of 8 bits.
    auto rgba = Header(2, 1, 8, 4, 2);
    rgba[2] = 0;
    rgba.insert(rgba.end(), {10, 200, 20, 150, 30, 100, 255, 128});
    const TBitmap planes = Load(rgba);
    ASSERT_EQ(planes.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(planes.GetPixel(0, 0), RGBColor(10, 20, 30));
    EXPECT_EQ(planes.GetPixel(1, 0), RGBColor(200, 150, 100));
    EXPECT_EQ(planes.ScanLine(0)[3], 255);
    EXPECT_EQ(planes.ScanLine(0)[7], 128);
}

// Runs reach from one row into the next; rows are read one at a time, and handed to a
// row sink a band at a time as the same rows the whole picture has.
TEST(PcxGraphic, RunsCrossRowsAndRowsAreGivenABandAtATime) {
    auto crossing = Header(8, 4, 1, 1, 1);
    crossing.insert(crossing.end(), {0xC3, 0xAA, 0xC1, 0x55});
    const TBitmap bits = Load(crossing);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(bits.ScanLine(y)[0], y < 3 ? 0xAA : 0x55) << y;

    for (const int layout : {1, 2, 3, 4}) {
        TMemoryStream stream;
        WritePcxStream(stream, testing::PhotoLike(61, 600), layout);
        EXPECT_TRUE(testing::BandsAreTheWholePicture<TPCXGraphic>(stream.Bytes())) << layout;
        // Cut short: the rows past the data's end are 0 either way.
        std::vector<std::uint8_t> cut = stream.Bytes();
        cut.resize(cut.size() * 2 / 3);
        EXPECT_TRUE(testing::BandsAreTheWholePicture<TPCXGraphic>(cut)) << layout << " cut";
    }
    auto raw = Header(40, 300, 8, 1, 40);
    raw[2] = 0;
    for (int y = 0; y < 290; ++y) raw.insert(raw.end(), 40, static_cast<std::uint8_t>(y));
    EXPECT_TRUE(testing::BandsAreTheWholePicture<TPCXGraphic>(raw));
}

TEST(PcxGraphic, CorpusFilesMatchAnIndependentDecoder) {
    PICTORAND_REQUIRE_CORPUS(root, "");
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    testing::TCorpusTally tally;
    for (const char* name : {"kimageformats/pcx/rgb.pcx", "kimageformats/pcx/indexed8.pcx", "kimageformats/pcx/16color.pcx",
                             "pcx-rs/marbles.pcx", "pcx-rs/gmarbles.pcx", "pillow/pcx/pil184.pcx", "pillow/pcx/odd_stride.pcx"}) {
        const auto path = root / name;
        if (!std::filesystem::exists(path)) {
            tally.Skipped(name, "not in this corpus");
            continue;
        }
        TPCXGraphic pcx;
        ASSERT_NO_THROW(pcx.LoadFromFile(path.string())) << name;
        const auto theirs = testing::DecodeWithPillow(path, dir.Path());
        ASSERT_TRUE(theirs) << name;
        EXPECT_TRUE(testing::SamePicture(pcx, *theirs)) << name;
        tally.Compared();
    }
}

}  // namespace
}  // namespace pictorand
