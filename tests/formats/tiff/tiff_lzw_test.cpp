// LZW-compressed TIFF files made by libtiff's tiffcp, with and without the horizontal
// predictor, in 8 and 16 bits a sample, read as the uncompressed file they came from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "formats/tiff/tiff_graphic.h"
#include "formats/tiff/tiff_lzw_decoder.h"
#include "formats/tiff/tiff_writer.h"
#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"
#include "tiffcp.h"

namespace pictorand {
namespace {

using testing::LoadTiff;
using testing::Tiffcp;

TEST(TiffLzw, DecodesCodesOfGrowingWidth) {
    // "ABABABA" as TIFF LZW: clear, A, B, 258 (AB), 260 (ABA), end; nine bits each.
    const int codes[] = {256, 'A', 'B', 258, 260, 257};
    std::vector<std::uint8_t> packed;
    std::uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits = bits << 9 | static_cast<std::uint32_t>(code);
        count += 9;
        while (count >= 8) {
            packed.push_back(static_cast<std::uint8_t>(bits >> (count - 8)));
            count -= 8;
        }
    }
    if (count > 0) packed.push_back(static_cast<std::uint8_t>(bits << (8 - count)));
    std::vector<std::uint8_t> out(7, 0);
    const std::uint8_t* source = packed.data();
    std::uint8_t* dest = out.data();
    TTiffLzwDecoder().Decode(source, dest, packed.size(), out.size());
    EXPECT_EQ(std::string(out.begin(), out.end()), "ABABABA");
    EXPECT_EQ(dest, out.data() + 7);
}

TEST(TiffLzw, FilesFromTiffcpReadAsTheirUncompressedSource) {
    PICTORAND_REQUIRE_TIFFCP();
    testing::TTempDir dir;
    const TBitmap photo = testing::PhotoLike(97, 61);
    WriteTiffFile(dir.File("rgb.tif"), photo);
    struct Case { const char* options; const char* name; };
    for (const Case& c : {Case{"-c lzw", "lzw.tif"}, Case{"-c lzw:2", "lzw-predictor.tif"}, Case{"-c lzw -r 7", "lzw-strips.tif"}}) {
        ASSERT_TRUE(Tiffcp(c.options, dir.File("rgb.tif"), dir.File(c.name))) << c.options;
        EXPECT_TRUE(testing::SamePicture(LoadTiff(dir.File(c.name)), photo)) << c.options;
    }
    // A 16-bit grey picture from Pillow; tiffcp puts the predictor on its samples in
    // either byte order.
    PICTORAND_REQUIRE_PILLOW();
    const std::string script = "from PIL import Image\n"
                               "im = Image.new('I;16', (50, 20))\n"
                               "im.putdata([(x * 1300 + y * 700) % 65536 for y in range(20) for x in range(50)])\n"
                               "im.save('" + dir.File("rgb16.tif") + "')\n";
    std::ofstream(dir.File("make16.py")) << script;
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + dir.File("make16.py") + "'").c_str()), 0);
    const TBitmap wide = LoadTiff(dir.File("rgb16.tif"));
    for (const char* byteOrder : {"-L", "-B"}) {
        ASSERT_TRUE(Tiffcp(std::string("-c lzw:2 ") + byteOrder, dir.File("rgb16.tif"), dir.File("lzw16.tif")));
        EXPECT_TRUE(testing::SamePicture(LoadTiff(dir.File("lzw16.tif")), wide)) << "16-bit samples, predictor, " << byteOrder;
        const TBitmap read = LoadTiff(dir.File("lzw16.tif"));
        for (const auto& [x, y] : {std::pair{0, 0}, std::pair{7, 3}, std::pair{49, 19}}) {
            const int expected = (x * 1300 + y * 700) % 65536 * 255 / 65535;
            EXPECT_NEAR(static_cast<int>(read.GetPixel(x, y) & 255), expected, 1) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace pictorand
