#include "formats/tiff/ccitt_decoders.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "formats/tiff/tiff_layout.h"

namespace pictorand {

namespace {

struct TCode {
    std::string_view Bits;
    int Run;
};

// ITU-T T.4 terminating codes, runs 0..63.
constexpr std::string_view WhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100",
};
constexpr std::string_view BlackTerminating[64] = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",         "0010",
    "00011",        "000101",       "000100",       "0000100",      "0000101",      "0000111",      "00000100",
    "00000111",     "000011000",    "0000010111",   "0000011000",   "0000001000",   "00001100111",  "00001101000",
    "00001101100",  "00000110111",  "00000101000",  "00000010111",  "00000011000",  "000011001010", "000011001011",
    "000011001100", "000011001101", "000001101000", "000001101001", "000001101010", "000001101011", "000011010010",
    "000011010011", "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111", "000001100100",
    "000001100101", "000001010010", "000001010011", "000000100100", "000000110111", "000000111000", "000000100111",
    "000000101000", "000001011000", "000001011001", "000000101011", "000000101100", "000001011010", "000001100110",
    "000001100111",
};
// Make-up codes for runs 64, 128, ..., 1728.
constexpr std::string_view WhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",  "01100101",  "01101000",
    "01100111",  "011001100", "011001101", "011010010", "011010011", "011010100", "011010101", "011010110", "011010111",
    "011011000", "011011001", "011011010", "011011011", "010011000", "010011001", "010011010", "011000",    "010011011",
};
constexpr std::string_view BlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",  "000000110100",
    "000000110101",  "0000001101100", "0000001101101", "0000001001010", "0000001001011", "0000001001100",
    "0000001001101", "0000001110010", "0000001110011", "0000001110100", "0000001110101", "0000001110110",
    "0000001110111", "0000001010010", "0000001010011", "0000001010100", "0000001010101", "0000001011010",
    "0000001011011", "0000001100100", "0000001100101",
};
// Extended make-up codes for runs 1792, 1856, ..., 2560, shared by both colours.
constexpr TCode ExtendedMakeUp[13] = {
    {"00000001000", 1792},  {"00000001100", 1856},  {"00000001101", 1920},  {"000000010010", 1984},
    {"000000010011", 2048}, {"000000010100", 2112}, {"000000010101", 2176}, {"000000010110", 2240},
    {"000000010111", 2304}, {"000000011100", 2368}, {"000000011101", 2432}, {"000000011110", 2496},
    {"000000011111", 2560},
};

}  // namespace

TCCITTDecoder::TCCITTDecoder(std::uint32_t options, bool bitSwap, std::size_t width, bool wordAligned)
    : options_(options),
      bitSwap_(bitSwap),
      width_(width),
      wordAligned_(wordAligned),
      white_(BuildRunTree(false)),
      black_(BuildRunTree(true)),
      modes_(BuildModeTree()) {}

namespace {

void Insert(std::vector<TCCITTDecoder::TNode>& tree, std::string_view bits, int value) {
    int node = 0;
    for (char c : bits) {
        const int bit = c - '0';
        if (tree[static_cast<std::size_t>(node)].Child[bit] < 0) {
            tree[static_cast<std::size_t>(node)].Child[bit] = static_cast<int>(tree.size());
            tree.emplace_back();
        }
        node = tree[static_cast<std::size_t>(node)].Child[bit];
    }
    tree[static_cast<std::size_t>(node)].Run = value;
}

// A leaf of tree, following bits from the root: its value, or -1 at the end of the data,
// or `missing` where no code continues.
int Walk(const std::vector<TCCITTDecoder::TNode>& tree, auto& bits, int missing) {
    int node = 0;
    while (tree[static_cast<std::size_t>(node)].Run == -1) {
        const int bit = bits.Next();
        if (bit < 0) return -1;
        node = tree[static_cast<std::size_t>(node)].Child[bit];
        if (node < 0) return missing;
    }
    return tree[static_cast<std::size_t>(node)].Run;
}

}  // namespace

std::vector<TCCITTDecoder::TNode> TCCITTDecoder::BuildRunTree(bool black) {
    std::vector<TNode> tree(1);
    const auto& terminating = black ? BlackTerminating : WhiteTerminating;
    const auto& makeUp = black ? BlackMakeUp : WhiteMakeUp;
    for (int run = 0; run < 64; ++run) Insert(tree, terminating[run], run);
    for (int i = 0; i < 27; ++i) Insert(tree, makeUp[i], 64 * (i + 1));
    for (const TCode& code : ExtendedMakeUp) Insert(tree, code.Bits, code.Run);
    Insert(tree, "000000000001", EndOfLine);
    for (std::string_view invalid : {"0000000001", "00000000001", "000000000000"}) Insert(tree, invalid, Invalid);
    return tree;
}

// The T.4 two-dimensional mode codes. The extension code (uncompressed mode) is not read.
std::vector<TCCITTDecoder::TNode> TCCITTDecoder::BuildModeTree() {
    std::vector<TNode> tree(1);
    Insert(tree, "1", Vertical0);
    Insert(tree, "011", Right1);
    Insert(tree, "010", Left1);
    Insert(tree, "001", Horizontal);
    Insert(tree, "0001", Pass);
    Insert(tree, "000011", Right2);
    Insert(tree, "000010", Left2);
    Insert(tree, "0000011", Right3);
    Insert(tree, "0000010", Left3);
    Insert(tree, "0000001", Invalid);
    Insert(tree, "000000000001", EndOfLine);
    for (std::string_view invalid : {"00000001", "000000001", "0000000001", "00000000001", "000000000000"}) Insert(tree, invalid, Invalid);
    return tree;
}

int TCCITTDecoder::DecodeRun(TBits& bits, bool black) const {
    const std::vector<TNode>& tree = black ? black_ : white_;
    int total = 0;
    for (;;) {
        const int run = Walk(tree, bits, Invalid);
        if (run < 0) return run;
        total += run;
        if (run < 64) return total;
    }
}

int TCCITTDecoder::DecodeMode(TBits& bits) const { return Walk(modes_, bits, Invalid); }

TCCITTDecoder::TRowEnd TCCITTDecoder::DecodeRow1D(TBits& bits, TChanges& changes) const {
    changes.clear();
    std::size_t x = 0;
    bool black = false;
    while (x < width_) {
        const int run = DecodeRun(bits, black);
        if (run < 0) {
            // The black run that was begun has no end.
            if (black) changes.pop_back();
            if (run != EndOfLine) return TRowEnd::Failed;
            bits.bit -= 12;
            return TRowEnd::EndOfLine;
        }
        x += std::min<std::size_t>(static_cast<std::size_t>(run), width_ - x);
        changes.push_back(x);
        black = !black;
    }
    return TRowEnd::Complete;
}

TCCITTDecoder::TRowEnd TCCITTDecoder::DecodeRow2D(TBits& bits, const TChanges& reference, TChanges& changes) const {
    changes.clear();
    // a0 starts just before the row; the colour of a0 is white. Changing elements at
    // even indexes turn the row black, at odd indexes white.
    std::int64_t a0 = -1;
    bool black = false;
    std::size_t from = 0;  // the reference elements before this index lie at or left of a0
    const auto width = static_cast<std::int64_t>(width_);
    while (a0 < width) {
        // b1: the first reference element right of a0 that changes to the other colour.
        while (from < reference.size() && static_cast<std::int64_t>(reference[from]) <= a0) ++from;
        std::size_t i = from;
        if ((i & 1) != static_cast<std::size_t>(black)) ++i;
        const std::int64_t b1 = i < reference.size() ? static_cast<std::int64_t>(reference[i]) : width;
        const std::int64_t b2 = i + 1 < reference.size() ? static_cast<std::int64_t>(reference[i + 1]) : width;
        const int mode = DecodeMode(bits);
        const std::int64_t start = std::max<std::int64_t>(a0, 0);
        if (mode == Pass) {
            a0 = b2;
        } else if (mode == Horizontal) {
            const int first = DecodeRun(bits, black);
            const int second = first < 0 ? first : DecodeRun(bits, !black);
            if (second < 0) return TRowEnd::Failed;
            const std::int64_t a1 = std::min(start + first, width);
            const std::int64_t a2 = std::min(a1 + second, width);
            changes.push_back(static_cast<std::size_t>(a1));
            changes.push_back(static_cast<std::size_t>(a2));
            a0 = a2;
        } else if (mode >= Vertical0 && mode <= Left3) {
            static constexpr int Offsets[] = {0, 1, 2, 3, -1, -2, -3};
            const std::int64_t a1 = b1 + Offsets[mode - Vertical0];
            if (a1 < start || a1 > width) return TRowEnd::Failed;
            changes.push_back(static_cast<std::size_t>(a1));
            a0 = a1;
            black = !black;
        } else if (mode == EndOfLine) {
            bits.bit -= 12;
            return TRowEnd::EndOfLine;
        } else {
            return TRowEnd::Failed;
        }
        // A row cannot change colour more often than it has pixels.
        if (changes.size() > width_ + 2) return TRowEnd::Failed;
    }
    return TRowEnd::Complete;
}

void TCCITTDecoder::Draw(const TChanges& changes, std::uint8_t* row) const {
    for (std::size_t k = 0; k < changes.size(); k += 2) {
        const std::size_t end = k + 1 < changes.size() ? std::min(changes[k + 1], width_) : width_;
        for (std::size_t i = changes[k]; i < end; ++i) row[i >> 3] |= static_cast<std::uint8_t>(0x80 >> (i & 7));
    }
}

bool TCCITTDecoder::SkipToEndOfLine(TBits& bits) {
    // Eleven or more zeros, then a one.
    int zeros = 0;
    for (;;) {
        const int bit = bits.Next();
        if (bit < 0) return false;
        if (bit == 0) ++zeros;
        else if (zeros >= 11) return true;
        else zeros = 0;
    }
}

std::vector<std::uint8_t> TCCITTDecoder::Source(const std::uint8_t* source, std::size_t size) const {
    std::vector<std::uint8_t> bytes(source, source + size);
    if (bitSwap_) ReverseBitOrder(bytes);
    return bytes;
}

void TCCITTMHDecoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    const std::vector<std::uint8_t> bytes = Source(source, packedSize);
    std::memset(dest, 0, unpackedSize);
    const std::size_t rowBytes = (width_ + 7) / 8;
    TBits bits{bytes.data(), bytes.size()};
    TChanges changes;
    for (std::size_t rowStart = 0; rowStart + rowBytes <= unpackedSize && !bits.AtEnd(); rowStart += rowBytes) {
        const TRowEnd end = DecodeRow1D(bits, changes);
        Draw(changes, dest + rowStart);
        // The next row starts at a byte boundary, or an even byte when word aligned.
        std::size_t next = (bits.bit + 7) / 8;
        if (wordAligned_ && (next & 1)) ++next;
        bits.bit = std::min(next, bytes.size()) * 8;
        if (end != TRowEnd::Complete) break;
    }
}

void TCCITTFax3Decoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    const std::vector<std::uint8_t> bytes = Source(source, packedSize);
    std::memset(dest, 0, unpackedSize);
    const std::size_t rowBytes = (width_ + 7) / 8;
    const bool twoDimensional = (options_ & 1) != 0;
    TBits bits{bytes.data(), bytes.size()};
    TChanges reference, changes;
    for (std::size_t rowStart = 0; rowStart + rowBytes <= unpackedSize && !bits.AtEnd(); rowStart += rowBytes) {
        if (!SkipToEndOfLine(bits)) return;
        const int tag = twoDimensional ? bits.Next() : 1;
        if (tag < 0) return;
        const TRowEnd end = tag == 1 ? DecodeRow1D(bits, changes) : DecodeRow2D(bits, reference, changes);
        // A damaged two-dimensional row is left white; the next end-of-line code starts afresh.
        if (end == TRowEnd::Failed && tag == 0) changes.clear();
        Draw(changes, dest + rowStart);
        reference.swap(changes);
    }
}

void TCCITTFax4Decoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    const std::vector<std::uint8_t> bytes = Source(source, packedSize);
    std::memset(dest, 0, unpackedSize);
    const std::size_t rowBytes = (width_ + 7) / 8;
    TBits bits{bytes.data(), bytes.size()};
    TChanges reference, changes;
    for (std::size_t rowStart = 0; rowStart + rowBytes <= unpackedSize && !bits.AtEnd(); rowStart += rowBytes) {
        // Rows depend on the row above: after a damaged row or the end-of-block code the
        // rest stays white.
        if (DecodeRow2D(bits, reference, changes) != TRowEnd::Complete) return;
        Draw(changes, dest + rowStart);
        reference.swap(changes);
    }
}

}  // namespace pictorand
