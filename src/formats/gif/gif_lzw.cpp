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

TGifLzwDecoder::TGifLzwDecoder(std::span<const std::uint8_t> data)
    : data_(data), prefix_(TableSize, 0), suffix_(TableSize, 0) {
    stack_.reserve(TableSize + 1);
    if (data.empty()) {
        corrupted_ = stopped_ = true;
        minimum_ = 2;
    } else {
        minimum_ = data[0];
    }
    // Sizes above 8 are legal: the codes simply start wider, up to the 12-bit ceiling.
    if (minimum_ < 2 || minimum_ > MaxCodeBits - 1) {
        corrupted_ = true;
        minimum_ = std::clamp(minimum_, 2, MaxCodeBits - 1);
    }
    clear_ = 1 << minimum_;
    end_ = clear_ + 1;
    codeSize_ = minimum_ + 1;
    next_ = clear_ + 2;
    for (int i = 0; i < clear_; ++i) suffix_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
}

// Reads a code from the sub-blocks; false at the terminator or the end of the data.
bool TGifLzwDecoder::ReadCode(int size, int& code) {
    while (bits_ < size) {
        while (blockLeft_ == 0) {
            if (at_ >= data_.size() || data_[at_] == 0) {
                ranOut_ = true;
                return false;
            }
            blockLeft_ = data_[at_++];
        }
        if (at_ >= data_.size()) {
            ranOut_ = true;
            return false;
        }
        accumulator_ |= static_cast<std::uint32_t>(data_[at_++]) << bits_;
        --blockLeft_;
        bits_ += 8;
    }
    code = static_cast<int>(accumulator_ & ((1u << size) - 1));
    accumulator_ >>= size;
    bits_ -= size;
    return true;
}

// Reads codes up to the next one that gives pixels and leaves them on the stack; false
// when the data stops (its end, the end code or a fault).
bool TGifLzwDecoder::NextString() {
    int code;
    for (;;) {
        if (!ReadCode(codeSize_, code)) return false;
        if (code == clear_) {
            codeSize_ = minimum_ + 1;
            next_ = clear_ + 2;
            previous_ = -1;
            continue;
        }
        if (code == end_) return false;
        if (previous_ < 0) {
            if (code > clear_ || code > MaxPixel) {  // the first code after a clear must be a pixel
                corrupted_ = true;
                return false;
            }
            stack_.push_back(static_cast<std::uint8_t>(code));
            previous_ = code;
            firstPixel_ = static_cast<std::uint8_t>(code);
            return true;
        }
        break;
    }
    int current = code;
    if (code >= next_) {
        if (code > next_) {
            corrupted_ = true;
            return false;
        }
        stack_.push_back(firstPixel_);
        current = previous_;
    }
    while (current > clear_) {
        if (stack_.size() > TableSize) {
            corrupted_ = true;
            stack_.clear();
            return false;
        }
        stack_.push_back(suffix_[static_cast<std::size_t>(current)]);
        current = prefix_[static_cast<std::size_t>(current)];
    }
    if (current > MaxPixel) {  // a root code wider than a pixel index
        corrupted_ = true;
        stack_.clear();
        return false;
    }
    firstPixel_ = static_cast<std::uint8_t>(current);
    stack_.push_back(firstPixel_);
    if (next_ < TableSize) {
        prefix_[static_cast<std::size_t>(next_)] = static_cast<std::uint16_t>(previous_);
        suffix_[static_cast<std::size_t>(next_)] = firstPixel_;
        ++next_;
        if (next_ >= (1 << codeSize_) && codeSize_ < MaxCodeBits) ++codeSize_;
    }
    previous_ = code;
    return true;
}

std::size_t TGifLzwDecoder::Decode(std::span<std::uint8_t> output) {
    std::size_t written = 0;
    while (written < output.size()) {
        if (stack_.empty() && (stopped_ || !NextString())) {
            stopped_ = true;
            break;
        }
        while (!stack_.empty() && written < output.size()) {
            output[written++] = stack_.back();
            stack_.pop_back();
        }
    }
    if (ranOut_ && written < output.size()) corrupted_ = true;
    written_ += written;
    return written;
}

TGifDecodeResult DecodeGifLzw(std::span<const std::uint8_t> data, std::span<std::uint8_t> output) {
    TGifLzwDecoder decoder(data);
    decoder.Decode(output);
    return decoder.Result();
}

}  // namespace pictorand
