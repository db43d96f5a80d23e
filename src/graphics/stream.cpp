#include "graphics/stream.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "graphics/exceptions.h"

namespace pictorand {

std::int64_t TStream::Size() {
    const std::int64_t position = Position();
    const std::int64_t size = Seek(0, TSeekOrigin::End);
    Seek(position, TSeekOrigin::Beginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError(std::string(runtime_texts::ReadError));
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError(std::string(runtime_texts::WriteError));
}

TByteBuffer TStream::ReadRemaining(std::size_t limit) {
    const std::int64_t remaining = std::max<std::int64_t>(0, Size() - Position());
    if (static_cast<std::uint64_t>(remaining) > limit) throw EReadError(std::string(runtime_texts::ImageTooLarge));
    TByteBuffer bytes(static_cast<std::size_t>(remaining));
    ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

void TStream::CopyFrom(TStream& source, std::int64_t count) {
    std::vector<std::uint8_t> chunk(64 * 1024);
    while (count > 0) {
        const std::size_t step = static_cast<std::size_t>(std::min<std::int64_t>(count, chunk.size()));
        source.ReadBuffer(chunk.data(), step);
        WriteBuffer(chunk.data(), step);
        count -= static_cast<std::int64_t>(step);
    }
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= data_.size()) return 0;
    const std::size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (position_ + count > data_.size()) data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::Current) base = static_cast<std::int64_t>(position_);
    if (origin == TSeekOrigin::End) base = static_cast<std::int64_t>(data_.size());
    // A position past the end is allowed (a later write fills the gap); before the start is not.
    position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(position_);
}

void TMemoryStream::SetSize(std::int64_t size) {
    data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
    position_ = std::min(position_, data_.size());
}

std::optional<std::span<const std::uint8_t>> TMemoryStream::HeldFromPosition() {
    return std::span<const std::uint8_t>(data_).subspan(std::min(position_, data_.size()));
}

std::size_t TSpanStream::Read(void* buffer, std::size_t count) {
    if (position_ >= bytes_.size()) return 0;
    const std::size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t TSpanStream::Write(const void*, std::size_t) { throw EWriteError(std::string(runtime_texts::WriteError)); }

std::int64_t TSpanStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::Current) base = static_cast<std::int64_t>(position_);
    if (origin == TSeekOrigin::End) base = static_cast<std::int64_t>(bytes_.size());
    position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(position_);
}

void TSpanStream::SetSize(std::int64_t) { throw EWriteError(std::string(runtime_texts::WriteError)); }

std::optional<std::span<const std::uint8_t>> TSpanStream::HeldFromPosition() { return bytes_.subspan(std::min(position_, bytes_.size())); }

TStreamBytes::TStreamBytes(TStream& stream, std::size_t limit) {
    if (const auto held = stream.HeldFromPosition()) {
        if (held->size() > limit) throw EReadError(std::string(runtime_texts::ImageTooLarge));
        view_ = *held;
        stream.Seek(0, TSeekOrigin::End);
        return;
    }
    copy_ = stream.ReadRemaining(limit);
    view_ = copy_;
}

}  // namespace pictorand
