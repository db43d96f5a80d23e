// TByteWriter: the writers' one way to put numbers into a file's fields, beside the
// checked byte reader. A value that does not fit its field fails the file with
// EFieldOverflow, naming the format, the field and its range, instead of wrapping.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/exceptions.h"

namespace pictorand {

// Refuses a value outside [low, high] for a field of a format's file with EFieldOverflow.
inline void CheckField(std::string_view format, std::int64_t value, std::int64_t low, std::int64_t high, std::string_view field) {
    if (value >= low && value <= high) return;
    throw EFieldOverflow("Cannot write " + std::string(format) + ": the " + std::string(field) + " " + std::to_string(value) +
                         " does not fit its field, which holds " + std::to_string(low) + " to " + std::to_string(high));
}

class TByteWriter {
public:
    TByteWriter(std::string_view format, std::vector<std::uint8_t>& out) : format_(format), out_(out) {}

    // Refuses a value outside [low, high] for the field.
    void Check(std::int64_t value, std::int64_t low, std::int64_t high, std::string_view field) const {
        CheckField(format_, value, low, high, field);
    }

    TByteWriter& U8(std::int64_t value, std::string_view field) { return Put(value, 0, 0xFF, 1, false, field); }
    TByteWriter& U16LE(std::int64_t value, std::string_view field) { return Put(value, 0, 0xFFFF, 2, false, field); }
    TByteWriter& U16BE(std::int64_t value, std::string_view field) { return Put(value, 0, 0xFFFF, 2, true, field); }
    TByteWriter& I16LE(std::int64_t value, std::string_view field) { return Put(value, -0x8000, 0x7FFF, 2, false, field); }
    TByteWriter& U32LE(std::int64_t value, std::string_view field) { return Put(value, 0, 0xFFFFFFFF, 4, false, field); }
    TByteWriter& U32BE(std::int64_t value, std::string_view field) { return Put(value, 0, 0xFFFFFFFF, 4, true, field); }
    TByteWriter& I32LE(std::int64_t value, std::string_view field) { return Put(value, INT32_MIN, INT32_MAX, 4, false, field); }
    TByteWriter& Bytes(std::span<const std::uint8_t> bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return *this;
    }

    // A 16-bit little-endian field at a place already written.
    void U16LEAt(std::size_t at, std::int64_t value, std::string_view field) {
        Check(value, 0, 0xFFFF, field);
        out_.at(at) = static_cast<std::uint8_t>(value);
        out_.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
    }
    void U32LEAt(std::size_t at, std::int64_t value, std::string_view field) {
        Check(value, 0, 0xFFFFFFFF, field);
        for (std::size_t i = 0; i < 4; ++i) out_.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }

    std::size_t Size() const { return out_.size(); }

private:
    TByteWriter& Put(std::int64_t value, std::int64_t low, std::int64_t high, int size, bool bigEndian, std::string_view field) {
        Check(value, low, high, field);
        const auto bits = static_cast<std::uint64_t>(value);
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (bigEndian ? size - 1 - i : i);
            out_.push_back(static_cast<std::uint8_t>(bits >> shift));
        }
        return *this;
    }

    std::string_view format_;
    std::vector<std::uint8_t>& out_;
};

}  // namespace pictorand
