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
    // A SHORT or LONG tag with its values.
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
            U32(out, static_cast<std::uint32_t>(t.values.size()));
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
    auto lzw = Rgb(false).Tag(259, 3, {5}).Build();
    try {
        Load(lzw);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Cannot load image. The compression scheme is not supported for TIF/TIFF files.");
    }
    EXPECT_TRUE(Load(Rgb(false).Tag(322, 3, {16}).Tag(323, 3, {16}).Build()).Empty()) << "tiled files load empty";
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
        "pillow/tiff/copyleft.tiff",
    };
    for (const char* name : files) {
        const auto path = root / name;
        if (!std::filesystem::exists(path)) continue;
        TTIFFGraphic tiff;
        ASSERT_NO_THROW(tiff.LoadFromFile(path.string())) << name;
        const auto theirs = testing::DecodeWithPillow(path, dir.Path());
        ASSERT_TRUE(theirs) << name;
        const bool lossy = std::string(name).find("jpg") != std::string::npos || std::string(name).find("jpeg") != std::string::npos ||
                           std::string(name).find("pil168") != std::string::npos;
        // 16-bit values and colour maps reduce by v x 255 / 65535 where Pillow keeps the high byte.
        EXPECT_GT(testing::Psnr(tiff, *theirs), lossy ? 40.0 : 48.0) << name;
    }
}

TEST(TiffGraphic, DamagedCorpusFilesFailCleanly) {
    PICTORAND_REQUIRE_CORPUS(folder, "pillow/tiff");
    for (const auto& file : testing::CorpusFiles(folder, ".tif")) {
        TTIFFGraphic tiff;
        try {
            tiff.LoadFromFile(file.string());
        } catch (const Exception&) {
        }
    }
}

}  // namespace
}  // namespace pictorand
