#include "formats/tiff/tiff_graphic.h"

#include <gtest/gtest.h>

#include <map>

#include "corpus.h"
#include "graphics/exceptions.h"
#include "independent_decoder.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

// Builds a one-strip TIFF from tags in either byte order.
class TTiffBuilder {
public:
    explicit TTiffBuilder(bool bigEndian) : big_(bigEndian) {}
    // A SHORT or LONG tag with its values; RATIONAL (5) takes numerator, denominator pairs.
    TTiffBuilder& Tag(std::uint16_t tag, std::uint16_t type, std::vector<std::uint32_t> values) {
        tags_[tag] = {type, std::move(values)};
        return *this;
    }
    TTiffBuilder& Pixels(std::vector<std::uint8_t> pixels) {
        pixels_ = std::move(pixels);
        return *this;
    }
    std::vector<std::uint8_t> Build() {
        std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(big_ ? 'M' : 'I'), static_cast<std::uint8_t>(big_ ? 'M' : 'I')};
        U16(out, 42);
        U32(out, 8);
        const std::uint32_t pixelAt = 8;
        out.insert(out.end(), pixels_.begin(), pixels_.end());
        tags_[273] = {4, {pixelAt}};
        tags_[279] = {4, {static_cast<std::uint32_t>(pixels_.size())}};
        // Values longer than the entry field go after the pixels.
        std::map<std::uint16_t, std::uint32_t> extra;
        for (auto& [tag, t] : tags_) {
            const std::size_t size = (t.type == 3 ? 2 : 4) * t.values.size();
            if (size <= 4) continue;
            extra[tag] = static_cast<std::uint32_t>(out.size());
            for (std::uint32_t v : t.values) t.type == 3 ? U16(out, v) : U32(out, v);
        }
        const std::uint32_t ifd = static_cast<std::uint32_t>(out.size());
        Put32(out, 4, ifd);
        U16(out, static_cast<std::uint32_t>(tags_.size()));
        for (const auto& [tag, t] : tags_) {
            U16(out, tag);
            U16(out, t.type);
            U32(out, static_cast<std::uint32_t>(t.type == 5 ? t.values.size() / 2 : t.values.size()));
            if (extra.count(tag)) {
                U32(out, extra[tag]);
            } else if (t.type == 3) {
                U16(out, t.values.empty() ? 0 : t.values[0]);
                U16(out, t.values.size() > 1 ? t.values[1] : 0);
            } else {
                U32(out, t.values.empty() ? 0 : t.values[0]);
            }
        }
        U32(out, 0);
        return out;
    }

private:
    struct TTag {
        std::uint16_t type;
        std::vector<std::uint32_t> values;
    };
    void U16(std::vector<std::uint8_t>& out, std::uint32_t v) const {
        if (big_) out.insert(out.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
        else out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
    }
    void U32(std::vector<std::uint8_t>& out, std::uint32_t v) const {
        if (big_) {
            U16(out, v >> 16);
            U16(out, v & 0xFFFF);
        } else {
            U16(out, v & 0xFFFF);
            U16(out, v >> 16);
        }
    }
    void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) const {
        std::vector<std::uint8_t> bytes;
        U32(bytes, v);
        std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    }
    bool big_;
    std::map<std::uint16_t, TTag> tags_;
    std::vector<std::uint8_t> pixels_;
};

TBitmap Load(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TTIFFGraphic tiff;
    tiff.LoadFromStream(stream);
    return static_cast<const TBitmap&>(tiff);
}

TTiffBuilder Rgb(bool big) {
    TTiffBuilder b(big);
    b.Tag(256, 3, {2}).Tag(257, 3, {2}).Tag(258, 3, {8, 8, 8}).Tag(262, 3, {2}).Tag(277, 3, {3});
    b.Pixels({255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30});
    return b;
}

TEST(TiffGraphic, BothByteOrdersLoadTheSamePicture) {
    const TBitmap little = Load(Rgb(false).Build());
    const TBitmap big = Load(Rgb(true).Build());
    EXPECT_EQ(little.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(little.GetPixel(0, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(little.GetPixel(1, 1), RGBColor(10, 20, 30));
    EXPECT_TRUE(testing::SamePicture(little, big));
}

// Associated alpha is made straight once: grey 51 stored at half cover is grey 102, as
// colour pixels have always been.
TEST(TiffGraphic, AssociatedAlphaIsMadeStraightOnce) {
    TTiffBuilder grey(false);
    grey.Tag(256, 3, {1}).Tag(257, 3, {1}).Tag(258, 3, {8, 8}).Tag(262, 3, {1}).Tag(277, 3, {2}).Tag(338, 3, {1}).Pixels({51, 128});
    TTiffBuilder rgb(false);
    rgb.Tag(256, 3, {1}).Tag(257, 3, {1}).Tag(258, 3, {8, 8, 8, 8}).Tag(262, 3, {2}).Tag(277, 3, {4}).Tag(338, 3, {1}).Pixels({51, 51, 51, 128});
    for (auto* builder : {&grey, &rgb}) {
        const auto bytes = builder->Build();
        TMemoryStream stream(bytes);
        TTIFFGraphic tiff;
        tiff.KeepAlpha = true;
        tiff.LoadFromStream(stream);
        const TBitmap& picture = tiff;
        ASSERT_TRUE(picture.HasAlpha());
        EXPECT_NEAR(picture.ScanLine(0)[0], 102, 1);
        EXPECT_EQ(picture.ScanLine(0)[3], 128);
    }
}

// Video-range YCbCr says so in ReferenceBlackWhite: code 16 is black and 235 white.
// Signed samples run from the most negative (black) to the most positive (white).
TEST(TiffGraphic, ReferenceBlackWhiteAndSignedSamplesScaleTheCodes) {
    TTiffBuilder video(false);
    video.Tag(256, 3, {3}).Tag(257, 3, {1}).Tag(258, 3, {8, 8, 8}).Tag(262, 3, {6}).Tag(277, 3, {3}).Tag(530, 3, {1, 1});
    video.Tag(532, 5, {16, 1, 235, 1, 128, 1, 240, 1, 128, 1, 240, 1}).Pixels({16, 128, 128, 235, 128, 128, 126, 128, 240});
    const TBitmap ycc = Load(video.Build());
    EXPECT_EQ(ycc.GetPixel(0, 0), RGBColor(0, 0, 0));
    EXPECT_EQ(ycc.GetPixel(1, 0), RGBColor(255, 255, 255));
    // Cr 240 is the full red chroma: red = 128 + 1.402 * 127.
    EXPECT_EQ(RedOf(ycc.GetPixel(2, 0)), 255);
    EXPECT_EQ(GreenOf(ycc.GetPixel(2, 0)), 37);

    for (const bool big : {false, true}) {
        TTiffBuilder grey(big);
        grey.Tag(256, 3, {3}).Tag(257, 3, {1}).Tag(258, 3, {16}).Tag(262, 3, {1}).Tag(277, 3, {1}).Tag(339, 3, {2});
        // -32768, 0 and 32767 in the file's byte order.
        grey.Pixels(big ? std::vector<std::uint8_t>{0x80, 0, 0, 0, 0x7F, 0xFF} : std::vector<std::uint8_t>{0, 0x80, 0, 0, 0xFF, 0x7F});
        const TBitmap picture = Load(grey.Build());
        EXPECT_EQ(RedOf(picture.GetPixel(0, 0)), 0) << big;
        EXPECT_NEAR(RedOf(picture.GetPixel(1, 0)), 128, 1) << big;
        EXPECT_EQ(RedOf(picture.GetPixel(2, 0)), 255) << big;
    }
}

// CMYK with an alpha sample, as Photoshop writes it: five samples a pixel.
TEST(TiffGraphic, CmykWithAlphaIsReadAndKeepsItsAlphaWhenAsked) {
    TTiffBuilder cmyka(false);
    cmyka.Tag(256, 3, {2}).Tag(257, 3, {1}).Tag(258, 3, {8, 8, 8, 8, 8}).Tag(262, 3, {5}).Tag(277, 3, {5}).Tag(338, 3, {2});
    cmyka.Pixels({0, 0, 0, 0, 255, 0, 255, 255, 0, 64});  // no ink, opaque; red, a quarter covered
    const auto bytes = cmyka.Build();
    const TBitmap flat = Load(bytes);
    EXPECT_FALSE(flat.HasAlpha());
    EXPECT_EQ(flat.GetPixel(0, 0), RGBColor(255, 255, 255));
    EXPECT_EQ(flat.GetPixel(1, 0), RGBColor(255, 0, 0));

    TMemoryStream stream(bytes);
    TTIFFGraphic tiff;
    tiff.KeepAlpha = true;
    tiff.LoadFromStream(stream);
    const TBitmap& picture = tiff;
    ASSERT_TRUE(picture.HasAlpha());
    const std::uint8_t* p = picture.ScanLine(0);
    EXPECT_EQ((std::vector<int>(p, p + 8)), (std::vector<int>{255, 255, 255, 255, 0, 0, 255, 64}));
}

TEST(TiffGraphic, PalettesGreysAndFax) {
    TTiffBuilder palette(true);
    std::vector<std::uint32_t> map(768, 0);
    map[1] = 65535;        // red of entry 1
    map[256 + 1] = 32896;  // green of entry 1
    palette.Tag(256, 3, {2}).Tag(257, 3, {1}).Tag(258, 3, {8}).Tag(262, 3, {3}).Tag(320, 3, map).Pixels({0, 1});
    const TBitmap indexed = Load(palette.Build());
    ASSERT_EQ(indexed.PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(indexed.Palette().size(), 256u);
    EXPECT_EQ(indexed.GetPixel(1, 0), RGBColor(255, 128, 0)) << "16-bit values reduced as v x 255 / 65535";

    // Group 3 fax, white is zero: one row of 8 pixels, white 2, black 3, white 3.
    TTiffBuilder fax(false);
    fax.Tag(256, 3, {8}).Tag(257, 3, {1}).Tag(258, 3, {1}).Tag(259, 3, {3}).Tag(262, 3, {0});
    fax.Pixels({0x00, 0x17, 0xA0});  // EOL 000000000001, then 0111 10 1000
    const TBitmap bilevel = Load(fax.Build());
    ASSERT_EQ(bilevel.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(bilevel.Palette()[0].Color(), clWhite);
    EXPECT_EQ(bilevel.Palette()[1].Color(), clBlack);
    EXPECT_EQ(bilevel.ScanLine(0)[0], 0x38);
}

TEST(TiffGraphic, UnsupportedTiledAndStripRules) {
    auto pixarLog = Rgb(false).Tag(259, 3, {32909}).Build();
    try {
        Load(pixarLog);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Cannot load image. The compression scheme is not supported for TIF/TIFF files.");
    }
    try {
        Load(Rgb(false).Tag(258, 3, {4, 4, 4}).Pixels({0xF0, 0x0F, 0x00, 0xF0, 0x00, 0xFF}).Build());
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Cannot load image. 4-bit colour samples are not supported for TIF/TIFF files.");
    }
    EXPECT_THROW(Load(Rgb(false).Tag(322, 3, {16}).Tag(323, 3, {16}).Build()), EInvalidGraphic) << "tiles without their offsets";
    const TBitmap whole = Load(Rgb(false).Tag(278, 4, {0xFFFFFFFF}).Build());
    EXPECT_EQ(whole.GetPixel(1, 1), RGBColor(10, 20, 30)) << "one strip holds the whole image";

    TTIFFGraphic tiff;
    TMemoryStream stream(Rgb(false).Tag(282, 4, {100}).Tag(283, 4, {100}).Tag(296, 3, {3}).Build());
    ASSERT_TRUE(tiff.ReadImageProperties(stream, 0));
    EXPECT_FLOAT_EQ(tiff.ImageProperties().XResolution, 254.0f) << "100 per centimetre is 254 per inch";

    EXPECT_THROW(Load({'I', 'I', 42, 0, 200, 0, 0, 0}), EInvalidGraphic);
    auto cut = Rgb(false).Build();
    cut[cut.size() - 20] = 0xFF;  // an entry count or value pointing far outside
    EXPECT_NO_FATAL_FAILURE({
        try {
            Load(cut);
        } catch (const Exception&) {
        }
    });
}

TEST(TiffGraphic, CorpusFilesMatchAnIndependentDecoder) {
    PICTORAND_REQUIRE_CORPUS(root, "");
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    const char* files[] = {
        "libtiff/rgb-3c-8b.tiff", "libtiff/rgb-3c-16b.tiff", "libtiff/palette-1c-1b.tiff", "libtiff/palette-1c-4b.tiff",
        "libtiff/palette-1c-8b.tiff", "libtiff/minisblack-1c-8b.tiff", "libtiff/miniswhite-1c-1b.tiff",
        "libtiff/32bpp-None-jpeg.tiff", "libtiff/deflate-last-strip-extra-data.tiff", "pillow/tiff/hopper_jpg.tif",
        "pillow/tiff/pil168.tif", "pillow/tiff/tiff_strip_cmyk_jpeg.tif", "pillow/tiff/tiff_strip_ycbcr_jpeg_2x2_sampling.tif",
        "pillow/tiff/copyleft.tiff", "pillow/tiff/hopper_lzw.tif", "libtiff/lzw-single-strip.tiff", "libtiff/quad-lzw-compat.tiff",
    };
    testing::TCorpusTally tally;
    for (const char* name : files) {
        const auto path = root / name;
        if (!std::filesystem::exists(path)) {
            tally.Skipped(name, "not in this corpus");
            continue;
        }
        TTIFFGraphic tiff;
        ASSERT_NO_THROW(tiff.LoadFromFile(path.string())) << name;
        const auto theirs = testing::DecodeWithPillow(path, dir.Path());
        ASSERT_TRUE(theirs) << name;
        const bool lossy = std::string(name).find("jpg") != std::string::npos || std::string(name).find("jpeg") != std::string::npos ||
                           std::string(name).find("pil168") != std::string::npos;
        // 16-bit values and colour maps reduce by v x 255 / 65535 where Pillow keeps the high byte.
        EXPECT_GT(testing::Psnr(tiff, *theirs), lossy ? 40.0 : 48.0) << name;
        tally.Compared();
    }
}

// Every file of Pillow's TIFF folder, damaged ones included, with what loading it gives:
// the picture's size or the reader's error text.
TEST(TiffGraphic, EveryPillowTiffFileHasItsKnownOutcome) {
    PICTORAND_REQUIRE_CORPUS(folder, "pillow/tiff");
    const std::string NotSupported = "Cannot load image. The compression scheme is not supported for TIF/TIFF files.";
    const std::string BogusTables = "Bogus JPEG tables field.";
    const std::string InvalidFormat = "Cannot load image. Invalid or unexpected TIF/TIFF image format.";
    const std::string BigTiff = "Cannot load image. BigTIFF files are not a format we read.";
    const std::string InvalidColor = "Invalid color format in TIF/TIFF file.";
    const std::string SampleCount = "Sample count per pixel does not correspond to the given color scheme.";
    const std::map<std::string, std::string> outcomes = {
        {"12bit.cropped.tif", "100x100"},
        {"12in16bit.tif", "100x100"},
        {"16_bit_noise.tif", "32x32"},
        {"16bit.MM.cropped.tif", "64x64"},
        {"16bit.MM.deflate.tif", "64x64"},
        {"16bit.cropped.tif", "64x64"},
        {"16bit.deflate.tif", "64x64"},
        {"16bit.r.tif", "64x64"},
        {"16bit.s.tif", "10x10"},
        {"8bit.s.tif", "128x128"},
        {"compression.tif", "10x10"},
        {"crash-0c7e0e8e11ce787078f00b5b0ca409a167f070e0.tif", BogusTables},
        {"crash-0da013a13571cc8eb457a39fee8db18f8a3c7127.tif", "218x84"},
        {"crash-0e16d3bfb83be87356d026d66919deaefca44dac.tif", "300x225"},
        {"crash-1152ec2d1a1a71395b6f2ce6721c38924d025bf3.tif", BogusTables},
        {"crash-1185209cf7655b5aed8ae5e77784dfdd18ab59e9.tif", BogusTables},
        {"crash-2020-10-test.tif", "256x108"},
        {"crash-338516dbd2f0e83caddb8ce256c22db3bd6dc40f.tif", "300x225"},
        {"crash-4f085cc12ece8cde18758d42608bed6a2a2cfb1c.tif", BogusTables},
        {"crash-63b1dffefc8c075ddc606c0a2f5fdc15ece78863.tif", InvalidFormat},
        {"crash-74d2a78403a5a59db1fb0a2b8735ac068a75f6e3.tif", "88x590"},
        {"crash-86214e58da443d2b80820cff9677a38a33dcbbca.tif", "300x225"},
        {"crash-f46f5b2f43c370fe65706c11449f567ecc345e74.tif", BogusTables},
        {"g4-fillorder-test.tif", "218x84"},
        {"g4_orientation_1.tif", "590x88"},
        {"g4_orientation_2.tif", "590x88"},
        {"g4_orientation_3.tif", "590x88"},
        {"g4_orientation_4.tif", "590x88"},
        {"g4_orientation_5.tif", "88x590"},
        {"g4_orientation_6.tif", "88x590"},
        {"g4_orientation_7.tif", "88x590"},
        {"g4_orientation_8.tif", "88x590"},
        {"hopper.Lab.tif", "128x128"},
        {"hopper.iccprofile.tif", "128x128"},
        {"hopper.iccprofile_binary.tif", "128x128"},
        {"hopper.tif", "128x128"},
        {"hopper_bigtiff.tif", BigTiff},
        {"hopper_float_dpi_2.tif", "128x128"},
        {"hopper_g4.tif", "128x128"},
        {"hopper_g4_500.tif", "500x500"},
        {"hopper_gray_4bpp.tif", "128x128"},
        {"hopper_jpg.tif", "128x128"},
        {"hopper_lzma.tif", NotSupported},
        {"hopper_lzw.tif", "128x128"},
        {"hopper_unknown_pixel_mode.tif", InvalidColor},
        {"hopper_webp.tif", NotSupported},
        {"issue_2278.tif", "640x480"},
        {"lab-green.tif", "10x10"},
        {"lab-red.tif", "10x10"},
        {"lab.tif", "10x10"},
        {"libtiff_segfault.tif", InvalidColor},
        {"multipage-lastframe.tif", "20x20"},
        {"old-style-jpeg-compression-no-samplesperpixel.tif", SampleCount},
        {"old-style-jpeg-compression.tif", NotSupported},
        {"oom-225817ca0f8c663be7ab4b9e717b02c661e66834.tif", InvalidFormat},
        {"pil168.tif", "256x256"},
        {"pport_g4.tif", "2548x3296"},
        {"rdf.tif", "518x556"},
        {"seek_too_large.tif", BigTiff},
        {"tiff_adobe_deflate.tif", "278x374"},
        {"tiff_overflow_rows_per_strip.tif", "278x374"},
        {"tiff_strip_cmyk_16l_jpeg.tif", "100x100"},
        {"tiff_strip_cmyk_jpeg.tif", "100x100"},
        {"tiff_strip_planar_raw.tif", "278x374"},
        {"tiff_strip_raw.tif", "278x374"},
        {"tiff_strip_ycbcr_jpeg_1x1_sampling.tif", "300x225"},
        {"tiff_strip_ycbcr_jpeg_2x2_sampling.tif", "480x360"},
        {"tiff_tiled_cmyk_jpeg.tif", "100x100"},
        {"tiff_tiled_planar_raw.tif", "278x374"},
        {"tiff_tiled_raw.tif", "278x374"},
        {"tiff_tiled_ycbcr_jpeg_1x1_sampling.tif", "300x225"},
        {"tiff_tiled_ycbcr_jpeg_2x2_sampling.tif", "480x360"},
        {"total-pages-zero.tif", "1728x2156"},
        {"uint16_1_4660.tif", "10x10"},
    };
    testing::TCorpusTally tally;
    for (const auto& file : testing::CorpusFiles(folder, ".tif")) {
        const std::string name = file.filename().string();
        const auto expected = outcomes.find(name);
        if (expected == outcomes.end()) {
            tally.Skipped(name, "no outcome recorded");
            continue;
        }
        TTIFFGraphic tiff;
        std::string outcome;
        try {
            tiff.LoadFromFile(file.string());
            outcome = std::to_string(tiff.Width()) + "x" + std::to_string(tiff.Height());
        } catch (const Exception& error) {
            outcome = error.what();
        }
        EXPECT_EQ(outcome, expected->second) << name;
        tally.Compared();
    }
    EXPECT_EQ(tally.ComparedCount(), static_cast<int>(outcomes.size()));
}

}  // namespace
}  // namespace pictorand
