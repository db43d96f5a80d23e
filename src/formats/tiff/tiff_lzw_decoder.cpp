#include "formats/tiff/tiff_lzw_decoder.h"

#include <algorithm>

namespace pictorand {

namespace {

constexpr int ClearCode = 256, EndCode = 257, FirstFreeCode = 258, MaxCodeWidth = 12;

// Codes from the data, in either bit order.
class TCodeReader {
public:
    TCodeReader(const std::uint8_t* data, std::size_t size, bool lsbFirst) : data_(data), size_(size), lsbFirst_(lsbFirst) {}

    // The next code of the width, or -1 when the data ends first.
    int Next(int width) {
        while (count_ < width) {
            if (at_ >= size_) return -1;
            const std::uint32_t byte = data_[at_++];
            bits_ = lsbFirst_ ? bits_ | byte << count_ : bits_ << 8 | byte;
            count_ += 8;
        }
        int code;
        if (lsbFirst_) {
            code = static_cast<int>(bits_ & ((1u << width) - 1));
            bits_ >>= width;
        } else {
            code = static_cast<int>(bits_ >> (count_ - width) & ((1u << width) - 1));
        }
        count_ -= width;
        if (!lsbFirst_) bits_ &= (1u << count_) - 1;
        return code;
    }
    std::size_t Used() const { return at_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    bool lsbFirst_;
    std::size_t at_ = 0;
    std::uint32_t bits_ = 0;
    int count_ = 0;
};

}  // namespace

void TTiffLzwDecoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    // The old variant starts with a clear code written least significant bit first.
    const bool oldStyle = packedSize >= 2 && source[0] == 0 && (source[1] & 1) != 0;
    const int early = oldStyle ? 0 : 1;
    TCodeReader in(source, packedSize, oldStyle);
    std::uint8_t* out = dest;
    std::uint8_t* const end = dest + unpackedSize;
    for (int c = 0; c < 256; ++c) {
        suffix_[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
        length_[static_cast<std::size_t>(c)] = 1;
    }
    int width = 9, next = FirstFreeCode, previous = -1;
    auto put = [&](int code) {
        const std::size_t n = length_[static_cast<std::size_t>(code)];
        for (std::size_t i = n; i-- > 0;) {
            string_[i] = suffix_[static_cast<std::size_t>(code)];
            code = prefix_[static_cast<std::size_t>(code)];
        }
        const std::size_t room = static_cast<std::size_t>(end - out);
        out = std::copy_n(string_.begin(), std::min(n, room), out);
    };
    while (out < end) {
        const int code = in.Next(width);
        if (code < 0 || code == EndCode) break;
        if (code == ClearCode) {
            width = 9;
            next = FirstFreeCode;
            previous = -1;
            continue;
        }
        if (previous < 0) {
            if (code > 255) break;
            put(code);
            previous = code;
            continue;
        }
        if (code > next || next >= MaxCodes) {
            // A code the table cannot hold yet, or a full table without a clear code.
            if (code >= next) break;
            put(code);
            previous = code;
            continue;
        }
        // The new entry is the previous string and the first byte of this one (of the
        // previous string itself when this code is the one being made).
        int first = code == next ? previous : code;
        while (first > 255) first = prefix_[static_cast<std::size_t>(first)];
        prefix_[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(previous);
        suffix_[static_cast<std::size_t>(next)] = static_cast<std::uint8_t>(first);
        length_[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(length_[static_cast<std::size_t>(previous)] + 1);
        ++next;
        put(code);
        previous = code;
        if (next + early >= (1 << width) && width < MaxCodeWidth) ++width;
    }
    source += in.Used();
    dest = out;
}

}  // namespace pictorand
