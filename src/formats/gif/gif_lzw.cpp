#include "formats/gif/gif_lzw.h"

#include <algorithm>
#include <array>
#include <memory>

namespace pictorand {

namespace {

constexpr int MaxCodeBits = 12;
constexpr int TableSize = 1 << MaxCodeBits;
constexpr int RestartCode = 4094;
constexpr int MaxPixel = 255;
constexpr int HashSlots = 17777;

// Packs codes least-significant bit first into sub-blocks of 255 bytes.
class TCodeWriter {
public:
    explicit TCodeWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void Write(int code, int bits) {
        accumulator_ |= static_cast<std::uint32_t>(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            Byte(static_cast<std::uint8_t>(accumulator_));
            accumulator_ >>= 8;
            count_ -= 8;
        }
    }
    void Finish() {
        if (count_ > 0) Byte(static_cast<std::uint8_t>(accumulator_));
        if (!block_.empty()) Flush();
        out_.push_back(0);
    }

private:
    void Byte(std::uint8_t value) {
        block_.push_back(value);
        if (block_.size() == 255) Flush();
    }
    void Flush() {
        out_.push_back(static_cast<std::uint8_t>(block_.size()));
        out_.insert(out_.end(), block_.begin(), block_.end());
        block_.clear();
    }

    std::vector<std::uint8_t>& out_;
    std::vector<std::uint8_t> block_;
    std::uint32_t accumulator_ = 0;
    int count_ = 0;
};

// The string table of the encoder: (prefix code, pixel) to code, through an open-
// addressed hash table.
class TStringTable {
public:
    TStringTable() { Clear(); }
    void Clear() { keys_.fill(-1); }
    int Find(int prefix, int pixel) const {
        const long key = Key(prefix, pixel);
        for (int slot = Slot(key);; slot = (slot + 1) % HashSlots) {
            if (keys_[static_cast<std::size_t>(slot)] == -1) return -1;
            if (keys_[static_cast<std::size_t>(slot)] == key) return codes_[static_cast<std::size_t>(slot)];
        }
    }
    void Add(int prefix, int pixel, int code) {
        const long key = Key(prefix, pixel);
        int slot = Slot(key);
        while (keys_[static_cast<std::size_t>(slot)] != -1) slot = (slot + 1) % HashSlots;
        keys_[static_cast<std::size_t>(slot)] = key;
        codes_[static_cast<std::size_t>(slot)] = static_cast<std::int16_t>(code);
    }

private:
    static long Key(int prefix, int pixel) { return static_cast<long>(prefix) << 8 | pixel; }
    static int Slot(long key) { return static_cast<int>((key * 2654435761u) % HashSlots); }

    std::array<long, HashSlots> keys_;
    std::array<std::int16_t, HashSlots> codes_{};
};

}  // namespace

std::vector<std::uint8_t> EncodeGifLzw(std::span<const std::uint8_t> pixels, int minimumCodeSize) {
    std::vector<std::uint8_t> out;
    out.push_back(static_cast<std::uint8_t>(minimumCodeSize));
    TCodeWriter writer(out);
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    int codeSize = minimumCodeSize + 1;
    int next = clear + 2;
    auto table = std::make_unique<TStringTable>();
    writer.Write(clear, codeSize);

    int prefix = -1;
    for (std::uint8_t pixel : pixels) {
        if (prefix < 0) {
            prefix = pixel;
            continue;
        }
        const int found = table->Find(prefix, pixel);
        if (found >= 0) {
            prefix = found;
            continue;
        }
        writer.Write(prefix, codeSize);
        const int code = next++;
        table->Add(prefix, pixel, code);
        prefix = pixel;
        if (code >= (1 << codeSize)) {
            ++codeSize;
        } else if (code == RestartCode) {
            // The pixel that received the last code goes out on its own, then the table restarts.
            writer.Write(pixel, codeSize);
            writer.Write(clear, codeSize);
            codeSize = minimumCodeSize + 1;
            next = clear + 2;
            table->Clear();
            prefix = -1;
        }
    }
    if (prefix >= 0) writer.Write(prefix, codeSize);
    writer.Write(end, codeSize);
    writer.Finish();
    return out;
}

TGifDecodeResult DecodeGifLzw(std::span<const std::uint8_t> data, std::span<std::uint8_t> output) {
    TGifDecodeResult result;
    if (data.empty()) {
        result.Corrupted = true;
        return result;
    }
    int minimum = data[0];
    // Sizes above 8 are legal: the codes simply start wider, up to the 12-bit ceiling.
    if (minimum < 2 || minimum > MaxCodeBits - 1) {
        result.Corrupted = true;
        minimum = std::clamp(minimum, 2, MaxCodeBits - 1);
    }
    // Code reader over the sub-blocks; it stops at the terminator or the end of data.
    std::size_t at = 1, blockLeft = 0;
    std::uint32_t accumulator = 0;
    int bits = 0;
    bool ended = false;
    auto readByte = [&](std::uint8_t& byte) {
        while (blockLeft == 0) {
            if (at >= data.size() || data[at] == 0) return false;
            blockLeft = data[at++];
        }
        if (at >= data.size()) return false;
        byte = data[at++];
        --blockLeft;
        return true;
    };
    auto readCode = [&](int size, int& code) {
        while (bits < size) {
            std::uint8_t byte;
            if (!readByte(byte)) {
                ended = true;
                return false;
            }
            accumulator |= static_cast<std::uint32_t>(byte) << bits;
            bits += 8;
        }
        code = static_cast<int>(accumulator & ((1u << size) - 1));
        accumulator >>= size;
        bits -= size;
        return true;
    };

    std::vector<std::uint16_t> prefix(TableSize, 0);
    std::vector<std::uint8_t> suffix(TableSize, 0);
    std::vector<std::uint8_t> stack;
    stack.reserve(TableSize + 1);
    const int clear = 1 << minimum, end = clear + 1;
    for (int i = 0; i < clear; ++i) suffix[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    int codeSize = minimum + 1, next = clear + 2, previous = -1;
    std::uint8_t firstPixel = 0;
    std::size_t written = 0;

    int code;
    while (written < output.size() && readCode(codeSize, code)) {
        if (code == clear) {
            codeSize = minimum + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) break;
        if (previous < 0) {
            if (code > clear || code > MaxPixel) {  // the first code after a clear must be a pixel
                result.Corrupted = true;
                break;
            }
            output[written++] = static_cast<std::uint8_t>(code);
            previous = code;
            firstPixel = static_cast<std::uint8_t>(code);
            continue;
        }
        int current = code;
        stack.clear();
        if (code >= next) {
            if (code > next) {
                result.Corrupted = true;
                break;
            }
            stack.push_back(firstPixel);
            current = previous;
        }
        while (current > clear) {
            if (stack.size() > TableSize) {
                result.Corrupted = true;
                return result;
            }
            stack.push_back(suffix[static_cast<std::size_t>(current)]);
            current = prefix[static_cast<std::size_t>(current)];
        }
        if (current > MaxPixel) {  // a root code wider than a pixel index
            result.Corrupted = true;
            break;
        }
        firstPixel = static_cast<std::uint8_t>(current);
        stack.push_back(firstPixel);
        while (!stack.empty() && written < output.size()) {
            output[written++] = stack.back();
            stack.pop_back();
        }
        if (next < TableSize) {
            prefix[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(previous);
            suffix[static_cast<std::size_t>(next)] = firstPixel;
            ++next;
            if (next >= (1 << codeSize) && codeSize < MaxCodeBits) ++codeSize;
        }
        previous = code;
    }
    if (ended && written < output.size()) result.Corrupted = true;
    result.Written = written;
    result.RanOut = ended;
    return result;
}

}  // namespace pictorand
