#include "formats/common/decoders.h"

#include "formats/tiff/ccitt_decoders.h"
#include "formats/tiff/thunder_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace pictorand {
namespace {

std::vector<std::uint8_t> Unpack(TDecoder& decoder, std::vector<std::uint8_t> packed, std::size_t unpacked, std::size_t* consumed = nullptr) {
    std::vector<std::uint8_t> out(unpacked + 8, 0xEE);
    const std::uint8_t* source = packed.data();
    std::uint8_t* dest = out.data();
    decoder.DecodeInit();
    decoder.Decode(source, dest, packed.size(), unpacked);
    if (consumed) *consumed = static_cast<std::size_t>(source - packed.data());
    EXPECT_EQ(out[unpacked], 0xEE) << "nothing written past the unpacked size";
    out.resize(unpacked);
    return out;
}

TEST(Decoders, TargaRunLengthBothWays) {
    TTargaRLEDecoder codec(8);
    const std::uint8_t row[6] = {'A', 'A', 'A', 'B', 'C', 'D'};
    std::uint8_t packed[12];
    const std::size_t n = codec.Encode(row, packed, 6);
    EXPECT_EQ(std::vector<std::uint8_t>(packed, packed + n), (std::vector<std::uint8_t>{0x82, 'A', 0x01, 'B', 'C', 0x00, 'D'}));
    const std::uint8_t one[1] = {'Z'};
    EXPECT_EQ(codec.Encode(one, packed, 1), 2u);
    EXPECT_EQ(packed[0], 0);
    std::size_t consumed = 0;
    EXPECT_EQ(Unpack(codec, {0x82, 'A', 0x01, 'B', 'C', 0x00, 'D', 0x99}, 6, &consumed), (std::vector<std::uint8_t>(row, row + 6)));
    EXPECT_EQ(consumed, 7u) << "the source stops after the last packet used";
    EXPECT_EQ(Unpack(codec, {0xFF, 'Q'}, 4), (std::vector<std::uint8_t>(4, 'Q'))) << "a run stops at the row end";
    const std::vector<std::uint8_t> cut = {'a', 'b', 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(Unpack(codec, {0x05, 'a', 'b'}, 6), cut) << "a literal packet is cut at the packed end";
}

TEST(Decoders, TargaPacketsRunOnIntoTheNextRow) {
    // A run of 3 and a literal of 4 over rows of 2 pixels, then a literal the data cuts short.
    const std::vector<std::uint8_t> packed = {0x82, 'A', 0x03, 'B', 'C', 'D', 'E', 0x02, 'F'};
    TTargaRLEDecoder codec(8);
    codec.DecodeInit();
    const std::uint8_t* source = packed.data();
    std::string rows;
    for (int row = 0; row < 5; ++row) {
        std::uint8_t out[2] = {'.', '.'};
        std::uint8_t* dest = out;
        codec.Decode(source, dest, static_cast<std::size_t>(packed.data() + packed.size() - source), 2);
        rows += std::string(out, dest) + '|';
    }
    EXPECT_EQ(rows, "AA|AB|CD|EF||") << "after the cut literal nothing more is read";
    EXPECT_EQ(source, packed.data() + packed.size());
}

TEST(Decoders, PackBitsPcxAndPaintShopPro) {
    TPackbitsRLEDecoder packbits;
    EXPECT_EQ(Unpack(packbits, {0x80, 0xFE, 0x41}, 3), (std::vector<std::uint8_t>{0x41, 0x41, 0x41}));
    EXPECT_EQ(Unpack(packbits, {0x02, 1, 2, 3, 0xFD, 9}, 5), (std::vector<std::uint8_t>{1, 2, 3, 9, 9}));
    EXPECT_EQ(Unpack(packbits, {0x05, 1, 2}, 4), (std::vector<std::uint8_t>{1, 2, 0xEE, 0xEE})) << "literal cut at the packed end";

    TPCXRLEDecoder pcx;
    EXPECT_EQ(Unpack(pcx, {0xC0, 0x12, 0xC3, 0x12, 7}, 4), (std::vector<std::uint8_t>{0x12, 0x12, 0x12, 7}));
    EXPECT_EQ(Unpack(pcx, {0xFF, 0x01}, 5), (std::vector<std::uint8_t>(5, 1)));

    TPSPRLEDecoder psp;
    EXPECT_EQ(Unpack(psp, {2, 7, 8, 131, 5}, 5), (std::vector<std::uint8_t>{7, 8, 5, 5, 5}));
}

TEST(Decoders, DeflateContinuesAcrossCallsAndStopsAtTheEnd) {
    std::vector<std::uint8_t> plain(1000);
    for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> packed(compressBound(plain.size()));
    uLongf size = packed.size();
    compress(packed.data(), &size, plain.data(), plain.size());
    packed.resize(size);

    TLZ77Decoder decoder(Z_PARTIAL_FLUSH, false);
    decoder.DecodeInit();
    std::vector<std::uint8_t> out(plain.size());
    const std::uint8_t* source = packed.data();
    std::uint8_t* dest = out.data();
    decoder.Decode(source, dest, packed.size(), 400);
    EXPECT_EQ(dest - out.data(), 400);
    decoder.Decode(source, dest, packed.size() - static_cast<std::size_t>(source - packed.data()), 600);
    EXPECT_EQ(out, plain);
    EXPECT_EQ(decoder.LastResult(), Z_STREAM_END);
    std::uint8_t* before = dest;
    decoder.Decode(source, dest, 10, 10);
    EXPECT_EQ(dest, before) << "after the stream end nothing happens";
    decoder.DecodeEnd();
}

TEST(Decoders, ThunderScanNibbles) {
    TThunderDecoder thunder(4);
    // Raw 5, then a 2-bit delta +1 (6), then a run of two more sixes.
    EXPECT_EQ(Unpack(thunder, {0xC5, 0x5A, 0x02}, 2), (std::vector<std::uint8_t>{0x56, 0x66}));
}

// Packs a string of '0' and '1' into bytes, most significant bit first.
std::vector<std::uint8_t> Bits(const std::string& bits) {
    std::vector<std::uint8_t> bytes((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1') bytes[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    return bytes;
}

std::uint8_t Reverse(std::uint8_t b) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i) r = static_cast<std::uint8_t>(r << 1 | (b >> i & 1));
    return r;
}

TEST(Decoders, FaxRowsInBothFillOrders) {
    // Width 10: white 2 (0111), black 3 (10), white 5 (1100); a second row all white 10 (00111).
    const std::string row1 = "0111" "10" "1100";
    TCCITTMHDecoder mh(0, false, 10, false);
    const auto packed = Bits(row1 + "000000" + "00111");
    EXPECT_EQ(Unpack(mh, packed, 4), (std::vector<std::uint8_t>{0x38, 0x00, 0x00, 0x00}));

    auto swapped = packed;
    for (auto& b : swapped) b = Reverse(b);
    TCCITTMHDecoder mhSwapped(0, true, 10, false);
    EXPECT_EQ(Unpack(mhSwapped, swapped, 4), Unpack(mh, packed, 4)) << "fill order 2 decodes the same image";

    TCCITTFax3Decoder g3(0, false, 10, false);
    const auto fax = Bits("0000000000001" + row1 + "000000000001" "00111" "0000000000001");
    EXPECT_EQ(Unpack(g3, fax, 4), (std::vector<std::uint8_t>{0x38, 0x00, 0x00, 0x00}));

    // Black runs past the row end are cut there.
    TCCITTMHDecoder narrow(0, false, 4, false);
    EXPECT_EQ(Unpack(narrow, Bits("00110101" "0011"), 1), (std::vector<std::uint8_t>{0xF0}));
}

}  // namespace
}  // namespace pictorand
