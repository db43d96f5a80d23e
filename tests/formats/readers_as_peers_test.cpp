// Files every peer reader takes the same way: variants of a format we do not read are named
// in their refusal, and the odd corners of Targa, GIF and PCX decode as the peers do.
#include <gtest/gtest.h>

#include "formats/format_table.h"
#include "graphics/exceptions.h"

namespace pictorand {
namespace {

TDecodedImage DecodeAs(const char* extension, const std::vector<std::uint8_t>& bytes) {
    return FindReadableFormat(extension)->Decode(bytes, {});
}

std::string RefusalOf(const char* extension, const std::vector<std::uint8_t>& bytes) {
    try {
        DecodeAs(extension, bytes);
    } catch (const EInvalidGraphic& error) {
        return error.what();
    }
    return "read";
}

TEST(ReadersAsPeers, OtherVariantsAreNamedInTheirRefusal) {
    std::vector<std::uint8_t> psb = {'8', 'B', 'P', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 8, 0, 3};
    psb.resize(64, 0);
    EXPECT_NE(RefusalOf(".psd", psb).find("Large-document PSB files are not a format we read"), std::string::npos) << RefusalOf(".psd", psb);
    std::vector<std::uint8_t> bigTiff = {'I', 'I', 43, 0, 8, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
    bigTiff.resize(64, 0);
    EXPECT_NE(RefusalOf(".tif", bigTiff).find("BigTIFF files are not a format we read"), std::string::npos) << RefusalOf(".tif", bigTiff);
    // A one-pixel 12-bit JPEG: its frame header says precision 12, then a scan begins.
    const std::vector<std::uint8_t> deep = {0xFF, 0xD8, 0xFF, 0xC1, 0, 11, 12, 0, 1, 0, 1, 1, 1, 0x11, 0,
                                            0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0, 0x12, 0x34, 0xFF, 0xD9};
    EXPECT_NE(RefusalOf(".jpg", deep).find("more than 8 bits a sample is not supported"), std::string::npos) << RefusalOf(".jpg", deep);
}

// A Targa colour map of 15-bit entries widens 31 to 255, as its 16-bit pixels do.
TEST(ReadersAsPeers, TargaColourMapsWidenTheirFiveBits) {
    const std::vector<std::uint8_t> tga = {0, 1, 1, 0, 0, 1, 0, 16, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0x20, 0xFF, 0x7F, 0};
    EXPECT_EQ(DecodeAs(".tga", tga).Raster.GetPixel(0, 0), RGBColor(255, 255, 255));
}

// A GIF extension of a kind not known here is skipped.
TEST(ReadersAsPeers, UnknownGifExtensionsAreSkipped) {
    const std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                                           0x21, 0x99, 3, 'a', 'b', 'c', 0,  // the unknown extension and its one block
                                           0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
    EXPECT_EQ(DecodeAs(".gif", gif).Raster.GetPixel(0, 0), RGBColor(255, 255, 255));
}

// An 8-bit PCX without its palette is grey levels, not a default palette of colours.
TEST(ReadersAsPeers, PcxWithoutItsPaletteIsGrey) {
    std::vector<std::uint8_t> pcx(128, 0);
    pcx[0] = 10, pcx[1] = 5, pcx[2] = 1, pcx[3] = 8;
    pcx[8] = 1;            // two pixels wide
    pcx[65] = 1;           // one plane
    pcx[66] = 2;           // two bytes a line
    pcx[68] = 1;           // a colour palette, by the header
    pcx.insert(pcx.end(), {0x40, 0xC1, 0xB0});
    const TBitmap picture = DecodeAs(".pcx", pcx).Raster;
    EXPECT_EQ(picture.GetPixel(0, 0), RGBColor(0x40, 0x40, 0x40));
    EXPECT_EQ(picture.GetPixel(1, 0), RGBColor(0xB0, 0xB0, 0xB0));
}

// Two planes of one bit are a 4-colour picture from the header's palette, as Pillow reads it.
TEST(ReadersAsPeers, TwoBitPlanePcxIsAFourColourPicture) {
    std::vector<std::uint8_t> pcx(128, 0);
    pcx[0] = 10, pcx[1] = 5, pcx[2] = 0, pcx[3] = 1;
    pcx[8] = 3;                                        // four pixels wide
    const std::uint8_t palette[12] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    std::copy(std::begin(palette), std::end(palette), pcx.begin() + 16);
    pcx[65] = 2;                                       // two planes
    pcx[66] = 1;                                       // one byte a plane's line
    pcx[68] = 1;
    // Indexes 0, 1, 2, 3: the first plane holds bit 0, the second bit 1.
    pcx.insert(pcx.end(), {0x50, 0x30});
    const TBitmap picture = DecodeAs(".pcx", pcx).Raster;
    EXPECT_EQ(picture.GetPixel(0, 0), RGBColor(0, 0, 0));
    EXPECT_EQ(picture.GetPixel(1, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(picture.GetPixel(2, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(picture.GetPixel(3, 0), RGBColor(0, 0, 255));
}

}  // namespace
}  // namespace pictorand
