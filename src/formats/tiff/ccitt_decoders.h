// CCITT one-dimensional fax decoders: modified Huffman rows and group 3 rows with end-of-
// line codes, from the code trees of the ITU-T T.4 tables. White is 0, black is 1.
#pragma once

#include <vector>

#include "formats/common/decoders.h"

namespace pictorand {

class TCCITTDecoder : public TDecoder {
public:
    // bitSwap: the bytes hold their bits least significant first (TIFF fill order 2).
    TCCITTDecoder(std::uint32_t options, bool bitSwap, std::size_t width, bool wordAligned);

protected:
    struct TNode {
        int Child[2] = {-1, -1};
        int Run = -1;  // a leaf's run length, or one of the markers below
    };
    static constexpr int EndOfLine = -2;
    static constexpr int Invalid = -3;

    // Bits of the source, most significant first, never beyond its end.
    struct TBits {
        const std::uint8_t* data;
        std::size_t size;
        std::size_t bit = 0;
        int Next() {
            if (bit >= size * 8) return -1;
            const int value = data[bit >> 3] >> (7 - (bit & 7)) & 1;
            ++bit;
            return value;
        }
        bool AtEnd() const { return bit >= size * 8; }
    };

    // One run of a colour (make-up codes continue it); negative for end of line,
    // invalid codes or the end of the data.
    int DecodeRun(TBits& bits, bool black) const;
    // Sets count bits to 1 from bit position at of a row.
    static void SetBlack(std::uint8_t* row, std::size_t at, std::size_t count);
    std::vector<std::uint8_t> Source(const std::uint8_t* source, std::size_t size) const;

    std::uint32_t options_;
    bool bitSwap_;
    std::size_t width_;
    bool wordAligned_;

private:
    static std::vector<TNode> BuildTree(bool black);
    std::vector<TNode> white_, black_;
};

class TCCITTMHDecoder : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
};

class TCCITTFax3Decoder : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
};

}  // namespace pictorand
