// Checked reading of little- and big-endian values from a byte span. Every read
// knows how much is left; a read past the end raises the exception type E.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "graphics/exceptions.h"

namespace pictorand {

template <class E = EReadError>
class TByteReader {
public:
    explicit TByteReader(std::span<const std::uint8_t> data, std::string message = std::string(runtime_texts::ReadError))
        : data_(data), message_(std::move(message)) {}

    std::size_t Position() const { return position_; }
    std::size_t Size() const { return data_.size(); }
    std::size_t Remaining() const { return data_.size() - position_; }
    std::span<const std::uint8_t> Data() const { return data_; }

    void Seek(std::size_t position) {
        if (position > data_.size()) Fail();
        position_ = position;
    }
    void Skip(std::size_t count) {
        Require(count);
        position_ += count;
    }

    std::uint8_t ReadU8() {
        Require(1);
        return data_[position_++];
    }
    std::uint16_t ReadU16LE() { return static_cast<std::uint16_t>(ReadLE(2)); }
    std::uint16_t ReadU16BE() { return static_cast<std::uint16_t>(ReadBE(2)); }
    std::uint32_t ReadU32LE() { return static_cast<std::uint32_t>(ReadLE(4)); }
    std::uint32_t ReadU32BE() { return static_cast<std::uint32_t>(ReadBE(4)); }
    std::int16_t ReadS16LE() { return static_cast<std::int16_t>(ReadU16LE()); }
    std::int32_t ReadS32LE() { return static_cast<std::int32_t>(ReadU32LE()); }

    std::span<const std::uint8_t> ReadBytes(std::size_t count) {
        Require(count);
        auto bytes = data_.subspan(position_, count);
        position_ += count;
        return bytes;
    }

    [[noreturn]] void Fail() const { throw E(message_); }

private:
    void Require(std::size_t count) const {
        if (count > Remaining()) Fail();
    }
    std::uint64_t ReadLE(int bytes) {
        Require(static_cast<std::size_t>(bytes));
        std::uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = value << 8 | data_[position_ + static_cast<std::size_t>(i)];
        position_ += static_cast<std::size_t>(bytes);
        return value;
    }
    std::uint64_t ReadBE(int bytes) {
        Require(static_cast<std::size_t>(bytes));
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | data_[position_ + static_cast<std::size_t>(i)];
        position_ += static_cast<std::size_t>(bytes);
        return value;
    }

    std::span<const std::uint8_t> data_;
    std::string message_;
    std::size_t position_ = 0;
};

}  // namespace pictorand
