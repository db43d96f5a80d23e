// The rearrangements applied to TIFF chunks before colour conversion.
#include <gtest/gtest.h>

#include <vector>

#include "formats/tiff/tiff_layout.h"

namespace pictorand {
namespace {

TEST(TiffLayout, BitsPlanesBlocksAndAlpha) {
    EXPECT_EQ(ReversedBits(0b00000001), 0b10000000);
    EXPECT_EQ(ReversedBits(0b11010000), 0b00001011);

    // Five bits placed at bit 3 of a row keep the bits around them.
    std::vector<std::uint8_t> row = {0xFF, 0xFF};
    const std::uint8_t zeros[1] = {0};
    CopyBits(zeros, row.data(), 3, 5);
    EXPECT_EQ(row[0], 0b11100000);
    EXPECT_EQ(row[1], 0xFF);
    // A byte-aligned partial byte takes its leading bits and keeps the bits after them,
    // whichever way round the source and the target differ.
    std::vector<std::uint8_t> clear = {0x00, 0x00};
    const std::uint8_t ones[2] = {0xFF, 0xFF};
    CopyBits(ones, clear.data(), 8, 2);
    EXPECT_EQ(clear, (std::vector<std::uint8_t>{0x00, 0xC0}));
    std::vector<std::uint8_t> set = {0xFF, 0xFF, 0xFF};
    const std::uint8_t noughts[2] = {0x00, 0x00};
    CopyBits(noughts, set.data(), 8, 11);
    EXPECT_EQ(set, (std::vector<std::uint8_t>{0xFF, 0x00, 0x1F}));

    std::vector<std::uint8_t> pixels(6, 0);
    const std::uint8_t green[2] = {7, 9};
    InterleavePlane(green, pixels.data(), 2, 1, 3, 1);
    EXPECT_EQ(pixels, (std::vector<std::uint8_t>{0, 7, 0, 0, 9, 0}));

    // 2 x 2 blocks over a 3 x 3 picture: the right and bottom blocks are cut by the edge.
    ASSERT_EQ(YCbCrBlockBytes(3, 3, 2, 2), 4u * 6u);
    std::vector<std::uint8_t> blocks;
    for (std::uint8_t b = 0; b < 4; ++b) blocks.insert(blocks.end(), {b, b, b, b, static_cast<std::uint8_t>(100 + b), static_cast<std::uint8_t>(200 + b)});
    std::vector<std::uint8_t> expanded(27, 0);
    ExpandYCbCrBlocks(blocks, expanded.data(), 3, 3, 2, 2);
    EXPECT_EQ(expanded[0], 0);
    EXPECT_EQ(expanded[2 * 3], 1) << "third pixel of the top row is in the second block";
    EXPECT_EQ(expanded[(2 * 3 + 2) * 3 + 1], 103) << "bottom-right pixel takes the last block's Cb";
    std::vector<std::uint8_t> cut(27, 0xAA);
    ExpandYCbCrBlocks(std::span(blocks).first(7), cut.data(), 3, 3, 2, 2);
    EXPECT_EQ(cut[2 * 3], 0xAA) << "blocks missing from the data leave their pixels alone";

    std::uint8_t premultiplied[8] = {50, 100, 0, 128, 9, 9, 9, 0};
    Unpremultiply(premultiplied, 2, 3);
    EXPECT_EQ(premultiplied[0], 100);
    EXPECT_EQ(premultiplied[1], 199);
    EXPECT_EQ(premultiplied[4], 9) << "fully transparent pixels are left as they are";
}

}  // namespace
}  // namespace pictorand
