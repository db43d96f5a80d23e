// Strips and tiles, interleaved and separate planes, the fax codings and bit orders:
// files re-encoded from one picture by libtiff's tiffcp must read exactly as that picture
// reads uncompressed (JPEG within its loss), and files of the corpus must match an
// independent decoder within the tolerance written beside each.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "corpus.h"
#include "formats/tiff/tiff_graphic.h"
#include "formats/tiff/tiff_writer.h"
#include "graphic_round_trip.h"
#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"
#include "tiffcp.h"

namespace pictorand {
namespace {

using testing::LoadTiff;

bool Run(const std::string& command) { return std::system((command + " 2> /dev/null").c_str()) == 0; }

struct TRewrite {
    const char* Options;  // tiffcp's options
    double MinimumPsnr;   // INFINITY: identical
};

// Re-encodes source with each row's options and compares the result with the source.
void ExpectRewritesReadAsSource(const testing::TTempDir& dir, const std::string& source, std::initializer_list<TRewrite> rows) {
    const TBitmap expected = LoadTiff(source);
    int compared = 0;
    for (const TRewrite& row : rows) {
        const std::string file = dir.File("rewritten.tif");
        ASSERT_TRUE(Run("tiffcp " + std::string(row.Options) + " '" + source + "' '" + file + "'")) << row.Options;
        TBitmap read;
        ASSERT_NO_THROW(read = LoadTiff(file)) << row.Options;
        ASSERT_EQ(read.Width(), expected.Width()) << row.Options;
        ASSERT_EQ(read.Height(), expected.Height()) << row.Options;
        EXPECT_GE(testing::Psnr(read, expected), row.MinimumPsnr) << row.Options;
        ++compared;
    }
    std::cout << "[ compared ] " << compared << " rewrites of " << std::filesystem::path(source).filename().string() << "\n";
}

TEST(TiffLayouts, ColourRewritesReadAsTheUncompressedPicture) {
    PICTORAND_REQUIRE_TIFFCP();
    testing::TTempDir dir;
    // 97 x 61 leaves partial tiles at the right and bottom edges.
    WriteTiffFile(dir.File("rgb.tif"), testing::PhotoLike(97, 61));
    ExpectRewritesReadAsSource(dir, dir.File("rgb.tif"),
                               {
                                   {"-t -w 32 -l 16", INFINITY},
                                   {"-t -w 16 -l 32 -c packbits", INFINITY},
                                   {"-t -c zip", INFINITY},
                                   {"-t -w 48 -l 48 -c lzw:2", INFINITY},
                                   {"-p separate", INFINITY},
                                   {"-p separate -c lzw:2 -r 5", INFINITY},
                                   {"-t -p separate -c zip:2", INFINITY},
                                   {"-c jpeg -r 16", 32.0},          // lossy; quality 75
                                   {"-t -w 32 -l 32 -c jpeg", 32.0},  // lossy; quality 75
                                   {"-p separate -c jpeg:r -r 16", 32.0},  // RGB, one JPEG a plane
                                   {"-p separate -c packbits -r 7", INFINITY},
                               });
}

TEST(TiffLayouts, BilevelRewritesReadAsTheUncompressedPicture) {
    PICTORAND_REQUIRE_TIFFCP();
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    // Circles and stripes: runs of every length, rows that differ a little and a lot.
    const std::string script = "from PIL import Image, ImageDraw\n"
                               "im = Image.new('1', (203, 77), 1)\n"
                               "d = ImageDraw.Draw(im)\n"
                               "for i in range(9): d.ellipse((i * 21, i * 5, i * 21 + 40, i * 5 + 30), outline=0)\n"
                               "for x in range(0, 203, 7): d.line((x, 60, x + 3, 76), fill=0)\n"
                               "d.rectangle((150, 2, 200, 20), fill=0)\n"
                               "im.save('" + dir.File("bilevel.tif") + "')\n";
    std::ofstream(dir.File("make.py")) << script;
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + dir.File("make.py") + "'").c_str()), 0);
    ExpectRewritesReadAsSource(dir, dir.File("bilevel.tif"),
                               {
                                   {"-c g3", INFINITY},
                                   {"-c g3:fill", INFINITY},
                                   {"-c g3:2d", INFINITY},
                                   {"-c g3:2d:fill -r 10", INFINITY},
                                   {"-c g4", INFINITY},
                                   {"-c g4 -r 9", INFINITY},
                                   {"-f lsb2msb", INFINITY},
                                   {"-f lsb2msb -c g4", INFINITY},
                                   {"-f lsb2msb -c packbits", INFINITY},
                                   {"-t -w 64 -l 32 -c g4", INFINITY},
                                   {"-t -w 16 -l 16", INFINITY},
                               });
}

// Strips, tiles and planes, compressed or not, go to a row sink a band at a time as the
// same rows the whole picture has; a picture with alpha is decoded whole.
TEST(TiffLayouts, RowsAreGivenABandAtATime) {
    PICTORAND_REQUIRE_TIFFCP();
    testing::TTempDir dir;
    // Taller than a band, and than a piece of an uncompressed strip, with partial tiles.
    WriteTiffFile(dir.File("rgb.tif"), testing::PhotoLike(97, 601));
    TBitmap bilevel;
    bilevel.SetPixelFormat(TPixelFormat::pf1bit);
    bilevel.SetSize(97, 601);
    for (int y = 0; y < bilevel.Height(); ++y) {
        for (int x = 0; x < (bilevel.Width() + 7) / 8; ++x) bilevel.ScanLine(y)[x] = static_cast<std::uint8_t>((x * 37 + y * y) % 251);
    }
    WriteTiffFile(dir.File("bilevel.tif"), bilevel);
    const std::pair<const char*, const char*> rewrites[] = {
        {"-r 601", "rgb.tif"},        {"-r 7", "rgb.tif"},           {"-c lzw:2 -r 300", "rgb.tif"},
        {"-c packbits", "rgb.tif"},   {"-t -w 32 -l 48", "rgb.tif"}, {"-p separate -r 100", "rgb.tif"},
        {"-r 601", "bilevel.tif"},    {"-c g4 -r 601", "bilevel.tif"}, {"-c g3 -r 20", "bilevel.tif"},
        {"-f lsb2msb -r 601", "bilevel.tif"},
    };
    for (const auto& [option, source] : rewrites) {
        const std::string file = dir.File("rows.tif");
        ASSERT_TRUE(::pictorand::Run("tiffcp " + std::string(option) + " '" + dir.File(source) + "' '" + file + "'")) << option;
        EXPECT_TRUE(testing::BandsAreTheWholePicture<TTIFFGraphic>(testing::ReadFileBytes(file))) << option << " " << source;
    }
    // An uncompressed strip that runs past the end of the file: its one strip is moved to
    // start 200 rows before the end, and the rows past the end are 0 either way.
    std::vector<std::uint8_t> cut = testing::ReadFileBytes(dir.File("rgb.tif"));
    auto u32 = [&](std::size_t at) { return std::uint32_t{cut[at]} | std::uint32_t{cut[at + 1]} << 8 | std::uint32_t{cut[at + 2]} << 16 | std::uint32_t{cut[at + 3]} << 24; };
    const std::uint32_t ifd = u32(4);
    for (std::size_t entry = ifd + 2; entry < ifd + 2 + 12 * (cut[ifd] | cut[ifd + 1] << 8); entry += 12) {
        if ((cut[entry] | cut[entry + 1] << 8) != 273) continue;
        const auto start = static_cast<std::uint32_t>(cut.size() - 97 * 3 * 200);
        for (int i = 0; i < 4; ++i) cut[entry + 8 + i] = static_cast<std::uint8_t>(start >> (8 * i));
    }
    EXPECT_TRUE(testing::BandsAreTheWholePicture<TTIFFGraphic>(cut));
    // Strips the file does not list: their rows are 0 either way, and every row is given.
    ASSERT_TRUE(::pictorand::Run("tiffcp -r 100 '" + dir.File("rgb.tif") + "' '" + dir.File("strips.tif") + "'"));
    std::vector<std::uint8_t> fewer = testing::ReadFileBytes(dir.File("strips.tif"));
    cut.swap(fewer);
    const std::uint32_t directory = u32(4);
    for (std::size_t entry = directory + 2; entry < directory + 2 + 12 * (cut[directory] | cut[directory + 1] << 8); entry += 12) {
        if ((cut[entry] | cut[entry + 1] << 8) == 273) cut[entry + 4] = 3;  // 3 of the 7 strips
    }
    EXPECT_TRUE(testing::BandsAreTheWholePicture<TTIFFGraphic>(cut));

    TBitmap withAlpha = testing::PhotoLike(5, 300);
    withAlpha.SetPixelFormat(TPixelFormat::pf32bit);
    withAlpha.SetHasAlpha(true);
    WriteTiffFile(dir.File("alpha.tif"), withAlpha);
    EXPECT_FALSE(testing::BandsAreTheWholePicture<TTIFFGraphic>(testing::ReadFileBytes(dir.File("alpha.tif"))));
}

// Grey with an extra alpha sample reads as grey, and as grey colours with their alpha when
// the run asks for alpha.
TEST(TiffLayouts, GreyWithAlphaHandsItsAlphaOverWhenAsked) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    std::ofstream(dir.File("make.py")) << "from PIL import Image\n"
                                          "im = Image.new('LA', (3, 1), (90, 255))\n"
                                          "im.putpixel((2, 0), (40, 0))\n"
                                          "im.save('" + dir.File("la.tif") + "')\n";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + dir.File("make.py") + "'").c_str()), 0);
    const TBitmap grey = LoadTiff(dir.File("la.tif"));
    EXPECT_EQ(grey.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(grey.GetPixel(2, 0), RGBColor(40, 40, 40));
    TTIFFGraphic tiff;
    tiff.KeepAlpha = true;
    tiff.LoadFromFile(dir.File("la.tif"));
    ASSERT_TRUE(tiff.HasAlpha());
    const std::uint8_t* p = tiff.ScanLine(0);
    EXPECT_EQ(std::vector<std::uint8_t>(p, p + 12), (std::vector<std::uint8_t>{90, 90, 90, 255, 90, 90, 90, 255, 40, 40, 40, 0}));
}

enum class TReference { Pillow, LibtiffRgba };

struct TCorpusRow {
    const char* File;
    TReference Reference;
    double MinimumPsnr;  // INFINITY: identical
    const char* Why = "";
};

// libtiff's RGBA interface through tiff2rgba, for what Pillow does not read.
std::optional<TBitmap> Reference(const std::filesystem::path& file, TReference reference, const testing::TTempDir& dir) {
    if (reference == TReference::Pillow) return testing::DecodeWithPillow(file, dir.Path());
    const std::string rgba = dir.File("rgba.tif");
    if (!Run("tiff2rgba -c none '" + file.string() + "' '" + rgba + "'")) return std::nullopt;
    return testing::DecodeWithPillow(rgba, dir.Path());
}

TEST(TiffLayouts, CorpusFilesMatchAnIndependentDecoder) {
    PICTORAND_REQUIRE_CORPUS(root, "");
    PICTORAND_REQUIRE_PILLOW();
    PICTORAND_REQUIRE_TIFFCP();
    testing::TTempDir dir;
    using enum TReference;
    const TCorpusRow rows[] = {
        {"pillow/tiff/tiff_tiled_raw.tif", Pillow, INFINITY},
        {"pillow/tiff/tiff_tiled_planar_raw.tif", Pillow, INFINITY},
        {"pillow/tiff/tiff_tiled_planar_lzw.tiff", Pillow, INFINITY},
        {"pillow/tiff/tiff_strip_planar_lzw.tiff", Pillow, INFINITY},
        {"pillow/tiff/tiff_tiled_ycbcr_jpeg_1x1_sampling.tif", Pillow, INFINITY},
        {"pillow/tiff/tiff_tiled_ycbcr_jpeg_2x2_sampling.tif", Pillow, INFINITY},
        {"pillow/tiff/tiff_tiled_cmyk_jpeg.tif", Pillow, 50.0, "CMYK arithmetic rounds differently"},
        {"pillow/tiff/tiff_tiled_planar_16bit_RGB.tiff", Pillow, 55.0, "16 to 8 bits: v x 255 / 65535 where Pillow keeps the high byte"},
        {"pillow/tiff/tiff_tiled_planar_16bit_RGBa.tiff", Pillow, 42.0, "premultiplied alpha made straight after 16 to 8 bits"},
        {"pillow/tiff/hopper_g4.tif", Pillow, INFINITY},
        {"pillow/tiff/hopper_g4_500.tif", Pillow, INFINITY},
        {"pillow/tiff/g4-fillorder-test.tif", Pillow, INFINITY},
        {"pillow/tiff/g4_orientation_1.tif", Pillow, INFINITY},
        {"pillow/tiff/pport_g4.tif", Pillow, INFINITY},
        {"pillow/tiff/rdf.tif", Pillow, INFINITY, "a palette index with an extra sample"},
        {"image-rs/images/tiff/testsuite/planar.tiff", Pillow, INFINITY},
        {"pillow/tiff/separate_planar_extra_samples.tiff", LibtiffRgba, INFINITY, "grey and alpha in separate planes"},
        {"libtiff/minisblack-2c-8b-alpha.tiff", LibtiffRgba, 60.0, "premultiplied grey made straight"},
        {"image-rs/images/tiff/testsuite/ycbcr_lzw_bt709.tif", LibtiffRgba, 70.0, "uncompressed subsampled YCbCr"},
        {"libtiff/testfax3_bug54_1dnoEOL.tif", LibtiffRgba, INFINITY},
    };
    testing::TCorpusTally tally;
    for (const TCorpusRow& row : rows) {
        const auto path = root / row.File;
        if (!std::filesystem::exists(path)) {
            tally.Skipped(row.File, "not in this corpus");
            continue;
        }
        TBitmap ours;
        ASSERT_NO_THROW(ours = LoadTiff(path.string())) << row.File;
        const auto theirs = Reference(path, row.Reference, dir);
        ASSERT_TRUE(theirs) << row.File;
        ASSERT_EQ(ours.Width(), theirs->Width()) << row.File;
        EXPECT_GE(testing::Psnr(ours, *theirs), row.MinimumPsnr) << row.File << " " << row.Why;
        tally.Compared();
    }
}

}  // namespace
}  // namespace pictorand
