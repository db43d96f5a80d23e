#include <gtest/gtest.h>

#include "corpus.h"
#include "graphics/exceptions.h"
#include "independent_decoder.h"
#include "formats/psd/psd_graphic.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

void Be16(std::vector<std::uint8_t>& out, std::uint32_t v) { out.insert(out.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}); }
void Be32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Be16(out, v >> 16);
    Be16(out, v & 0xFFFF);
}

// A raw (uncompressed) Photoshop file of width x 1 pixels from its channel planes.
std::vector<std::uint8_t> Psd(int mode, int depth, const std::vector<std::vector<std::uint8_t>>& planes,
                              const std::vector<std::uint8_t>& modeData = {}) {
    std::vector<std::uint8_t> out = {'8', 'B', 'P', 'S'};
    Be16(out, 1);
    out.insert(out.end(), 6, 0);
    Be16(out, static_cast<std::uint32_t>(planes.size()));
    Be32(out, 1);
    Be32(out, static_cast<std::uint32_t>(depth == 1 ? planes[0].size() * 8 : planes[0].size()));
    Be16(out, static_cast<std::uint32_t>(depth));
    Be16(out, static_cast<std::uint32_t>(mode));
    Be32(out, static_cast<std::uint32_t>(modeData.size()));
    out.insert(out.end(), modeData.begin(), modeData.end());
    Be32(out, 0);
    Be32(out, 4);  // a layer section to skip
    out.insert(out.end(), {9, 9, 9, 9});
    Be16(out, 0);
    for (const auto& plane : planes) out.insert(out.end(), plane.begin(), plane.end());
    return out;
}

TBitmap LoadPsd(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TPSDGraphic psd;
    psd.LoadFromStream(stream);
    return static_cast<const TBitmap&>(psd);
}

TEST(PsdGraphic, ColourModes) {
    const TBitmap rgb = LoadPsd(Psd(3, 8, {{10, 20}, {30, 40}, {50, 60}}));
    EXPECT_EQ(rgb.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(rgb.GetPixel(1, 0), RGBColor(20, 40, 60));
    EXPECT_EQ(LoadPsd(Psd(3, 8, {{1}, {2}, {3}, {4}})).PixelFormat(), TPixelFormat::pf32bit) << "a fourth channel is alpha";
    EXPECT_EQ(LoadPsd(Psd(4, 8, {{255}, {255}, {255}, {255}})).GetPixel(0, 0), clWhite) << "CMYK with no ink";
    EXPECT_EQ(LoadPsd(Psd(9, 8, {{255}, {128}, {128}})).GetPixel(0, 0), clWhite) << "Lab white";
    EXPECT_EQ(LoadPsd(Psd(9, 8, {{255, 0}, {128, 128}, {128, 128}, {7, 7}})).GetPixel(1, 0), clBlack) << "Lab with alpha";
    const TBitmap greyAlpha = LoadPsd(Psd(1, 8, {{90, 180}, {0, 255}}));
    EXPECT_EQ(greyAlpha.GetPixel(1, 0), RGBColor(180, 180, 180)) << "grey with an alpha channel";
    {
        TMemoryStream stream(Psd(1, 8, {{90, 180}, {0, 255}}));
        TPSDGraphic psd;
        psd.KeepAlpha = true;
        psd.LoadFromStream(stream);
        ASSERT_TRUE(psd.HasAlpha()) << "the alpha channel handed over when asked";
        const std::uint8_t* p = psd.ScanLine(0);
        EXPECT_EQ(std::vector<std::uint8_t>(p, p + 8), (std::vector<std::uint8_t>{90, 90, 90, 0, 180, 180, 180, 255}));
    }
    EXPECT_EQ(LoadPsd(Psd(7, 8, {{200}})).GetPixel(0, 0), RGBColor(200, 200, 200)) << "one multichannel channel";

    const TBitmap bitmap = LoadPsd(Psd(0, 1, {{0b01000000}}));
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(bitmap.Palette()[0].Color(), clWhite);
    EXPECT_EQ(bitmap.GetPixel(1, 0), clBlack);

    std::vector<std::uint8_t> palette(768, 0);
    palette[1] = 200;        // red of entry 1
    palette[512 + 1] = 100;  // blue of entry 1
    const TBitmap indexed = LoadPsd(Psd(2, 8, {{1, 0}}, palette));
    EXPECT_EQ(indexed.GetPixel(0, 0), RGBColor(200, 0, 100));
}

TEST(PsdGraphic, PackBitsAndLies) {
    std::vector<std::uint8_t> file = Psd(1, 8, {{}});
    file.resize(file.size() - 2);  // replace the compression code
    file.insert(file.end(), {0, 1});
    Be16(file, 2);  // one row of 2 packed bytes
    file.insert(file.end(), {0xFF, 77});
    file[18 + 3] = 2;  // width 2
    TBitmap grey;
    ASSERT_NO_THROW(grey = LoadPsd(file));
    EXPECT_EQ(grey.GetPixel(1, 0), RGBColor(77, 77, 77));

    auto lying = Psd(3, 8, {{1, 2}, {3, 4}, {5, 6}});
    lying.resize(lying.size() - 3);  // planes shorter than the header promises
    EXPECT_THROW(LoadPsd(lying), Exception);
    EXPECT_THROW(LoadPsd({'8', 'B', 'P', 'X'}), EInvalidGraphic);
}

// Photoshop stores the composite of a transparent picture matted against white, so where
// a reference keeps straight colour with alpha only its opaque pixels are compared.
TEST(PsdGraphic, CorpusFilesMatchTheirReferences) {
    PICTORAND_REQUIRE_CORPUS(root, "");
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    struct TRow {
        const char* File;
        const char* Reference;  // a reference picture, or nullptr for Pillow's decode of the file
        double MinimumPsnr;     // INFINITY: identical
        bool OpaqueOnly = false;
    };
    const TRow rows[] = {
        {"kimageformats/psd/bitmap.psd", "kimageformats/psd/bitmap.png", INFINITY},  // Pillow shows bitmap mode inverted
        {"kimageformats/psd/rgb-gimp-2.8.10.psd", nullptr, INFINITY},
        {"kimageformats/psd/indexed.psd", nullptr, INFINITY},
        {"kimageformats/psd/cmyk8_testcard.psd", nullptr, 50.0},  // CMYK rounds a little differently
        {"kimageformats/psd/birthday.pdd", nullptr, INFINITY},
        {"kimageformats/psd/8bit-grayscale.psd", "kimageformats/psd/8bit-grayscale.png", INFINITY},
        {"kimageformats/psd/mch1-8bits.psd", "kimageformats/psd/mch1-8bits.png", INFINITY},
        {"kimageformats/psd/16bit-rle.psd", "kimageformats/psd/16bit-rle.png", 60.0},  // 16 to 8 bits rounds
        {"kimageformats/psd/rgb16-raw-affinityphoto-1.8.5.psd", "kimageformats/psd/rgb16-raw-affinityphoto-1.8.5.png", 58.0},
        {"kimageformats/psd/testcard_graya8.psd", "kimageformats/psd/testcard_graya8.png", INFINITY, true},
        {"kimageformats/psd/53alphas.psd", "kimageformats/psd/53alphas.png", INFINITY, true},
        {"kimageformats/psd/argb16-raw-affinityphoto-1.8.5.psd", "kimageformats/psd/argb16-raw-affinityphoto-1.8.5.png", 50.0, true},
        {"pillow/psd/hopper.psd", nullptr, INFINITY},
        {"psd-tools/colormodes/4x4_8bit_rgba.psd", nullptr, INFINITY},
    };
    testing::TCorpusTally tally;
    for (const TRow& row : rows) {
        const auto path = root / row.File;
        if (!std::filesystem::exists(path)) {
            tally.Skipped(row.File, "not in this corpus");
            continue;
        }
        TPSDGraphic psd;
        ASSERT_NO_THROW(psd.LoadFromFile(path.string())) << row.File;
        const auto reference = row.Reference ? root / row.Reference : path;
        const auto theirs = testing::DecodeWithPillow(reference, dir.Path());
        ASSERT_TRUE(theirs) << row.File;
        const auto alpha = row.OpaqueOnly ? testing::AlphaWithPillow(reference, dir.Path()) : std::vector<std::uint8_t>{};
        EXPECT_GE(testing::Psnr(psd, *theirs, alpha), row.MinimumPsnr) << row.File;
        tally.Compared();
    }
}

// Files whose composite is missing or only a white placeholder are refused, not shown white.
TEST(PsdGraphic, FilesWithoutACompositeAreRefused) {
    const std::string message = "Cannot load image. The PSD or PDD file holds no composite image; save it with compatibility maximized.";
    // A file that ends after its layer section has no image data to read.
    auto layersOnly = Psd(3, 8, {{1, 2}, {3, 4}, {5, 6}});
    layersOnly.resize(layersOnly.size() - 6 - 2);
    try {
        LoadPsd(layersOnly);
        ADD_FAILURE() << "a file without image data loaded";
    } catch (const EInvalidGraphic& error) {
        EXPECT_EQ(error.what(), message);
    }
    PICTORAND_REQUIRE_CORPUS(root, "psd-tools");
    for (const char* name : {"layer-name-emoji.psd", "layers-minimal/pixel-layer.psd"}) {
        TPSDGraphic psd;
        try {
            psd.LoadFromFile((root / name).string());
            ADD_FAILURE() << name << " loaded";
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(error.what(), message) << name;
        }
    }
}

}  // namespace
}  // namespace pictorand
