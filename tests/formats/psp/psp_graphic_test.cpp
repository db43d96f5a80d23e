#include <gtest/gtest.h>

#include <algorithm>

#include "corpus.h"
#include "graphics/exceptions.h"
#include "independent_decoder.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/psp/psp_graphic.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

// A version 5 Paint Shop Pro file: attributes, an optional palette and one layer. Later
// versions may hold extension blocks after the layer's information chunk. The last
// `masks` channels are transparency masks.
std::vector<std::uint8_t> Psp(int depth, std::uint16_t compression, const std::vector<std::vector<std::uint8_t>>& channels,
                              int width, const std::vector<std::uint8_t>& palette = {}, int layerExtensions = 0, std::size_t masks = 0) {
    std::vector<std::uint8_t> out(32, 0);
    const std::string signature = "Paint Shop Pro Image File";
    std::copy(signature.begin(), signature.end(), out.begin());
    auto u16 = [&out](std::uint32_t v) { out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    auto block = [&](std::uint16_t id, const std::vector<std::uint8_t>& contents) {
        out.insert(out.end(), {'~', 'B', 'K', 0});
        u16(id);
        u32(static_cast<std::uint32_t>(contents.size()));
        out.insert(out.end(), contents.begin(), contents.end());
    };
    u16(5);
    u16(0);
    std::vector<std::uint8_t> attributes;
    auto a32 = [&attributes](std::uint32_t v) { for (int i = 0; i < 4; ++i) attributes.push_back(static_cast<std::uint8_t>(v >> (8 * i))); };
    auto a16 = [&attributes](std::uint32_t v) { attributes.insert(attributes.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); };
    a32(46);
    a32(static_cast<std::uint32_t>(width));
    a32(1);
    attributes.insert(attributes.end(), 8, 0);  // resolution
    attributes.push_back(1);
    a16(compression);
    a16(static_cast<std::uint32_t>(depth));
    a16(1);
    a32(0);
    attributes.push_back(0);
    attributes.resize(46, 0);
    block(0, attributes);
    if (!palette.empty()) {
        std::vector<std::uint8_t> contents(4, 0);
        const auto count = static_cast<std::uint32_t>(palette.size() / 4);
        for (int i = 0; i < 4; ++i) contents.push_back(static_cast<std::uint8_t>(count >> (8 * i)));
        contents.insert(contents.end(), palette.begin(), palette.end());
        block(2, contents);
    }
    // Layer bank with one raster layer.
    std::vector<std::uint8_t> layer;
    auto l32 = [&layer](std::uint32_t v) { for (int i = 0; i < 4; ++i) layer.push_back(static_cast<std::uint8_t>(v >> (8 * i))); };
    l32(4 + 2 + 115);
    layer.insert(layer.end(), {0, 0});
    layer.push_back(1);  // raster layer
    layer.insert(layer.end(), 114, 0);
    for (int e = 0; e < layerExtensions; ++e) {
        layer.insert(layer.end(), {'~', 'B', 'K', 0, 33, 0});
        l32(12);
        layer.insert(layer.end(), 12, 0xEE);
    }
    l32(8);  // bitmap information chunk: length, bitmap count, channel count
    layer.insert(layer.end(), {1, 0, static_cast<std::uint8_t>(channels.size()), 0});
    for (std::size_t c = 0; c < channels.size(); ++c) {
        std::vector<std::uint8_t> sub(4, 0);
        auto s32 = [&sub](std::uint32_t v) { for (int i = 0; i < 4; ++i) sub.push_back(static_cast<std::uint8_t>(v >> (8 * i))); };
        s32(static_cast<std::uint32_t>(channels[c].size()));
        s32(static_cast<std::uint32_t>(width));
        const std::size_t imageChannels = channels.size() - masks;
        const bool mask = c >= imageChannels;
        sub.insert(sub.end(), {static_cast<std::uint8_t>(mask ? 1 : 0), 0, static_cast<std::uint8_t>(mask || imageChannels == 1 ? 0 : c + 1), 0});
        sub.insert(sub.end(), channels[c].begin(), channels[c].end());
        layer.insert(layer.end(), {'~', 'B', 'K', 0, 5, 0});
        for (int i = 0; i < 4; ++i) layer.push_back(static_cast<std::uint8_t>(sub.size() >> (8 * i)));
        layer.insert(layer.end(), sub.begin(), sub.end());
    }
    std::vector<std::uint8_t> bank = {'~', 'B', 'K', 0, 4, 0};
    for (int i = 0; i < 4; ++i) bank.push_back(static_cast<std::uint8_t>(layer.size() >> (8 * i)));
    bank.insert(bank.end(), layer.begin(), layer.end());
    block(3, bank);
    return out;
}

TBitmap LoadPsp(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TPSPGraphic psp;
    psp.LoadFromStream(stream);
    return static_cast<const TBitmap&>(psp);
}

TEST(PspGraphic, LayersPalettesAndCompression) {
    const TBitmap rgb = LoadPsp(Psp(24, 0, {{10, 20}, {30, 40}, {50, 60}}, 2));
    EXPECT_EQ(rgb.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(rgb.GetPixel(1, 0), RGBColor(20, 40, 60));

    const TBitmap rle = LoadPsp(Psp(24, 1, {{130, 9}, {130, 8}, {2, 7, 6}}, 2));
    EXPECT_EQ(rle.GetPixel(0, 0), RGBColor(9, 8, 7));
    EXPECT_EQ(rle.GetPixel(1, 0), RGBColor(9, 8, 6));

    const std::vector<std::uint8_t> palette = {0, 0, 0, 0, 30, 20, 10, 0};  // entry 1: blue 30, green 20, red 10
    const TBitmap indexed = LoadPsp(Psp(8, 0, {{1, 0}}, 2, palette));
    EXPECT_EQ(indexed.GetPixel(0, 0), RGBColor(10, 20, 30));

    EXPECT_THROW(LoadPsp(Psp(24, 3, {{1}, {2}, {3}}, 1)), EInvalidGraphic) << "JPEG channels are rejected";
    EXPECT_THROW(LoadPsp(Psp(16, 0, {{1, 2}}, 1)), EInvalidGraphic) << "depth 16";
    auto shortChannel = Psp(24, 0, {{1}, {2}, {3}}, 4);  // channels smaller than the image
    EXPECT_NO_THROW(LoadPsp(shortChannel));

    // A transparency mask stays out of the picture's planes: it is the alpha of a colour
    // layer and passed over in a palette layer.
    const TBitmap masked = LoadPsp(Psp(24, 0, {{10, 20}, {30, 40}, {50, 60}, {255, 0}}, 2, {}, 0, 1));
    ASSERT_EQ(masked.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(masked.GetPixel(1, 0), RGBColor(20, 40, 60));
    EXPECT_EQ(masked.ScanLine(0)[3], 255);
    EXPECT_EQ(masked.ScanLine(0)[7], 0);
    EXPECT_EQ(LoadPsp(Psp(8, 0, {{1, 0}, {255, 255}}, 2, palette, 0, 1)).GetPixel(0, 0), RGBColor(10, 20, 30));

    for (const int extensions : {1, 2}) {
        const TBitmap extended = LoadPsp(Psp(24, 0, {{10, 20}, {30, 40}, {50, 60}}, 2, {}, extensions));
        EXPECT_EQ(extended.GetPixel(1, 0), RGBColor(20, 40, 60)) << extensions << " extension blocks before the bitmap information";
    }
}

// A file written by a much later program version, whose layer carries an extension block,
// holds the same picture in its layer as in its JPEG composite image.
TEST(PspGraphic, LaterVersionLayerMatchesTheFilesOwnComposite) {
    PICTORAND_REQUIRE_CORPUS(root, "exiftool");
    const auto bytes = testing::ReadFileBytes(root / "PSP.psp");
    const std::uint8_t jpegStart[3] = {0xFF, 0xD8, 0xFF};
    const auto composite = std::search(bytes.begin(), bytes.end(), std::begin(jpegStart), std::end(jpegStart));
    ASSERT_NE(composite, bytes.end());
    TMemoryStream compositeStream(std::vector<std::uint8_t>(composite, bytes.end()));
    TJPEGImage jpeg;
    jpeg.LoadFromStream(compositeStream);
    TBitmap expected;
    jpeg.AssignTo(expected);

    const TBitmap layer = LoadPsp(bytes);
    ASSERT_EQ(layer.Width(), expected.Width());
    ASSERT_EQ(layer.Height(), expected.Height());
    EXPECT_GT(testing::Psnr(layer, expected), 30.0);
}

}  // namespace
}  // namespace pictorand
