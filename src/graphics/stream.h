// Seekable byte streams: the abstract TStream and the in-memory TMemoryStream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphics/zeroed_buffer.h"

namespace pictorand {

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes and answers how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes up to count bytes and answers how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(std::int64_t size) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::Beginning); }
    std::int64_t Size();

    // Read exactly count bytes or raise EReadError ("Stream read error").
    void ReadBuffer(void* buffer, std::size_t count);
    // Write exactly count bytes or raise EWriteError ("Stream write error").
    void WriteBuffer(const void* buffer, std::size_t count);
    void WriteBuffer(std::span<const std::uint8_t> bytes) { WriteBuffer(bytes.data(), bytes.size()); }

    // Everything from the current position to the end, refusing more than limit bytes.
    TByteBuffer ReadRemaining(std::size_t limit);
    // The bytes from the current position to the end where the stream holds them in
    // memory, valid while the stream's bytes are; nothing for a stream that does not.
    virtual std::optional<std::span<const std::uint8_t>> HeldFromPosition() { return std::nullopt; }
    // Copies count bytes from source at its position into this stream.
    void CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;
    std::optional<std::span<const std::uint8_t>> HeldFromPosition() override;

    const std::vector<std::uint8_t>& Bytes() const { return data_; }
    std::vector<std::uint8_t> TakeBytes() { position_ = 0; return std::move(data_); }
    void Clear() { data_.clear(); position_ = 0; }

private:
    std::vector<std::uint8_t> data_;
    std::size_t position_ = 0;
};

// A read-only stream over bytes someone else holds; writing raises EWriteError.
class TSpanStream : public TStream {
public:
    explicit TSpanStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;
    std::optional<std::span<const std::uint8_t>> HeldFromPosition() override;

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// A stream's bytes from its position to the end, read once: a view of them where the
// stream holds them in memory (valid while the stream's bytes are), a copy where it does
// not. The stream is left at its end either way.
class TStreamBytes {
public:
    TStreamBytes() = default;
    // Refuses more than limit bytes, as ReadRemaining does.
    TStreamBytes(TStream& stream, std::size_t limit);
    TStreamBytes(TStreamBytes&&) = default;
    TStreamBytes& operator=(TStreamBytes&&) = default;
    TStreamBytes(const TStreamBytes&) = delete;
    TStreamBytes& operator=(const TStreamBytes&) = delete;

    std::span<const std::uint8_t> Span() const { return view_; }
    const std::uint8_t* data() const { return view_.data(); }
    std::size_t size() const { return view_.size(); }
    std::uint8_t operator[](std::size_t at) const { return view_[at]; }

private:
    TByteBuffer copy_;
    std::span<const std::uint8_t> view_;
};

}  // namespace pictorand
