// CCITT fax decoders: modified Huffman rows, group 3 rows with end-of-line codes (one- or
// two-dimensional) and group 4 rows, from the code tables of ITU-T T.4 and T.6. Rows are
// decoded into their changing elements (the columns where the colour changes, white
// first) and drawn with white as 0 and black as 1.
#pragma once

#include <vector>

#include "formats/common/decoders.h"

namespace pictorand {

class TCCITTDecoder : public TDecoder {
public:
    // bitSwap: the bytes hold their bits least significant first (TIFF fill order 2).
    TCCITTDecoder(std::uint32_t options, bool bitSwap, std::size_t width, bool wordAligned);

    // A node of a code tree.
    struct TNode {
        int Child[2] = {-1, -1};
        int Run = -1;  // a leaf's run length or mode, or one of the markers below
    };

protected:
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

    using TChanges = std::vector<std::size_t>;
    enum class TRowEnd { Complete, EndOfLine, Failed };

    // One run of a colour (make-up codes continue it); negative for end of line,
    // invalid codes or the end of the data.
    int DecodeRun(TBits& bits, bool black) const;
    // A row of alternating white and black runs. On an end-of-line code inside the row,
    // the bits are left at that code; a row cut short keeps the runs it completed.
    TRowEnd DecodeRow1D(TBits& bits, TChanges& changes) const;
    // A row coded against the reference row's changing elements.
    TRowEnd DecodeRow2D(TBits& bits, const TChanges& reference, TChanges& changes) const;
    // Draws a row's black runs into row, which is all white.
    void Draw(const TChanges& changes, std::uint8_t* row) const;
    // Skips to just after the next end-of-line code; false at the end of the data.
    static bool SkipToEndOfLine(TBits& bits);
    std::vector<std::uint8_t> Source(const std::uint8_t* source, std::size_t size) const;

    std::uint32_t options_;
    bool bitSwap_;
    std::size_t width_;
    bool wordAligned_;

private:
    enum TMode : int { Pass, Horizontal, Vertical0, Right1, Right2, Right3, Left1, Left2, Left3 };
    int DecodeMode(TBits& bits) const;
    static std::vector<TNode> BuildRunTree(bool black);
    static std::vector<TNode> BuildModeTree();
    std::vector<TNode> white_, black_, modes_;
};

class TCCITTMHDecoder : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
};

// Group 3: every row follows an end-of-line code; with bit 0 of the options set, a tag
// bit after the code says whether the row is one-dimensional (1) or two-dimensional (0).
class TCCITTFax3Decoder : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
};

// Group 4 (T.6): every row two-dimensional, the first against an all-white row.
class TCCITTFax4Decoder : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
};

}  // namespace pictorand
