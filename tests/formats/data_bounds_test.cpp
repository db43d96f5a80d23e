// Readers refuse a picture their file's data could not fill at its compression's largest
// expansion, before they allocate it; small files cut short still load what they hold.
#include <gtest/gtest.h>

#include "formats/pcx/pcx_graphic.h"
#include "formats/png/png_graphic.h"
#include "formats/psd/psd_graphic.h"
#include "formats/tga/targa_graphic.h"
#include "formats/tiff/tiff_graphic.h"
#include "graphics/exceptions.h"
#include "png_builder.h"

namespace pictorand {
namespace {

void Le(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Be(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// An uncompressed little-endian TIFF of width x height RGBA samples of the given depth,
// holding `data` bytes of pixels.
std::vector<std::uint8_t> Tiff(std::uint32_t width, std::uint32_t height, int bits, std::size_t data) {
    std::vector<std::uint8_t> f = {'I', 'I', 42, 0};
    Le(f, 8, 4);
    const std::pair<std::uint16_t, std::uint32_t> tags[] = {
        {256, width}, {257, height}, {258, static_cast<std::uint32_t>(bits)}, {259, 1}, {262, 2}, {273, 8 + 2 + 9 * 12 + 4},
        {277, 4},     {278, height}, {279, static_cast<std::uint32_t>(data)},
    };
    Le(f, 9, 2);
    for (const auto& [tag, value] : tags) {
        Le(f, tag, 2);
        Le(f, 4, 2);  // LONG
        Le(f, 1, 4);
        Le(f, value, 4);
    }
    Le(f, 0, 4);
    f.resize(f.size() + data, 0x55);
    return f;
}

std::vector<std::uint8_t> Pcx(int width, int height, std::size_t data) {
    std::vector<std::uint8_t> f(128, 0);
    f[0] = 10;
    f[1] = 5;
    f[2] = 1;
    f[3] = 8;
    f[8] = static_cast<std::uint8_t>(width - 1);
    f[9] = static_cast<std::uint8_t>((width - 1) >> 8);
    f[10] = static_cast<std::uint8_t>(height - 1);
    f[11] = static_cast<std::uint8_t>((height - 1) >> 8);
    f[65] = 1;
    f[66] = static_cast<std::uint8_t>(width);
    f[67] = static_cast<std::uint8_t>(width >> 8);
    f.resize(f.size() + data, 0x01);
    return f;
}

// A run-length Targa of width x height 24-bit pixels with `data` bytes of packets.
std::vector<std::uint8_t> Tga(int width, int height, std::size_t data) {
    std::vector<std::uint8_t> f(18, 0);
    f[2] = 10;
    f[12] = static_cast<std::uint8_t>(width);
    f[13] = static_cast<std::uint8_t>(width >> 8);
    f[14] = static_cast<std::uint8_t>(height);
    f[15] = static_cast<std::uint8_t>(height >> 8);
    f[16] = 24;
    for (std::size_t i = 0; i + 4 <= data; i += 4) f.insert(f.end(), {0xFF, 1, 2, 3});
    return f;
}

// A run-length Photoshop file of width x height RGB with its row table and `data` bytes.
std::vector<std::uint8_t> Psd(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> f = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
    Be(f, 3, 2);
    Be(f, height, 4);
    Be(f, width, 4);
    Be(f, 8, 2);
    Be(f, 3, 2);  // RGB
    Be(f, 0, 4);  // colour mode data
    Be(f, 0, 4);  // resources
    Be(f, 0, 4);  // layers
    Be(f, 1, 2);  // run-length
    f.resize(f.size() + 64, 0);
    return f;
}

template <class T>
std::string Outcome(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    T reader;
    try {
        reader.LoadFromStream(stream);
    } catch (const std::exception& error) {
        return error.what();
    }
    return std::to_string(reader.Width()) + "x" + std::to_string(reader.Height());
}

std::string TooLittle(const char* format) {
    return std::string("Cannot load image. The ") + format + " file holds too little data for the picture it claims.";
}

TEST(DataBounds, TinyFilesClaimingHugePicturesAreRefused) {
    using testing::TPngBuilder;
    // 134 bytes claiming 8000 x 8000 x 4 x 16 bits.
    EXPECT_EQ(Outcome<TTIFFGraphic>(Tiff(8000, 8000, 16, 0)), TooLittle("TIF/TIFF"));
    EXPECT_EQ(Outcome<TPCXGraphic>(Pcx(20000, 20000, 20)), TooLittle("PCX or SCR"));
    EXPECT_EQ(Outcome<TPNGGraphic>(TPngBuilder().Header(20000, 20000, 8, 6).ImageData({0, 1, 2, 3, 4}).End().Build()),
              TooLittle("PNG"));
    EXPECT_EQ(Outcome<TTargaGraphic>(Tga(20000, 20000, 64)), TooLittle("TGA"));
    EXPECT_EQ(Outcome<TPSDGraphic>(Psd(20000, 20000)), TooLittle("PSD or PDD"));
}

TEST(DataBounds, FilesThatCanHoldTheirPictureStillLoadAlsoWhenCutShort) {
    using testing::TPngBuilder;
    EXPECT_EQ(Outcome<TTIFFGraphic>(Tiff(64, 64, 8, 64 * 64 * 4)), "64x64");
    EXPECT_EQ(Outcome<TTIFFGraphic>(Tiff(64, 64, 8, 1000)), "64x64") << "a small file cut short loads what it has";
    // 2000 x 2000 x 4 x 2 bytes = 32 MB from 32 KB of uncompressed data: refused, cut short or not.
    EXPECT_EQ(Outcome<TTIFFGraphic>(Tiff(2000, 2000, 16, 32768)), TooLittle("TIF/TIFF"));
    EXPECT_EQ(Outcome<TPCXGraphic>(Pcx(2000, 2000, 2000 * 2000 / 60)), "2000x2000") << "run-length data that can fill it";
    std::vector<std::uint8_t> rows(1 + 3 * 4000, 0);
    std::vector<std::uint8_t> all;
    for (int y = 0; y < 4000; ++y) all.insert(all.end(), rows.begin(), rows.end());
    EXPECT_EQ(Outcome<TPNGGraphic>(TPngBuilder().Header(4000, 4000, 8, 2).ImageData(all).End().Build()), "4000x4000")
        << "48 MB of picture from about 50 KB of deflate data";
}

}  // namespace
}  // namespace pictorand
