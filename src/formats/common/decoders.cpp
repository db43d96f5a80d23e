#include "formats/common/decoders.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace pictorand {

std::size_t TDecoder::Encode(const std::uint8_t*, std::uint8_t*, std::size_t) { return 0; }

std::size_t TargaBytesPerPixel(int depth) {
    switch (depth) {
        case 8: return 1;
        case 15:
        case 16: return 2;
        case 24: return 3;
        default: return 4;
    }
}

void TTargaRLEDecoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    const std::size_t width = TargaBytesPerPixel(depth_);
    const std::uint8_t* in = source;
    const std::uint8_t* end = source + packedSize;
    std::uint8_t* out = dest;
    std::size_t remaining = unpackedSize;
    while (remaining > 0) {
        if (left_ == 0) {
            if (ended_ || in == end) break;
            const std::uint8_t packet = *in++;
            const std::size_t n = (packet & 0x7F) + 1u;
            const auto available = static_cast<std::size_t>(end - in);
            repeat_ = (packet & 0x80) != 0;
            if (repeat_) {
                if (available < width) {
                    ended_ = true;
                    break;
                }
                std::memcpy(value_, in, width);
                in += width;
                left_ = n;
            } else {
                // A literal packet cut short by the data's end is the last one read.
                left_ = std::min(n, available / width);
                ended_ = left_ < n;
                if (left_ == 0) break;
            }
        }
        const std::size_t take = std::min(left_, remaining);
        if (repeat_) {
            for (std::size_t i = 0; i < take; ++i, out += width) std::memcpy(out, value_, width);
        } else {
            std::memcpy(out, in, take * width);
            out += take * width;
            in += take * width;
        }
        left_ -= take;
        remaining -= take;
    }
    source = in;
    dest = out;
}

void TTargaRLEDecoder::DecodeInit() {
    repeat_ = ended_ = false;
    left_ = 0;
}

std::size_t TTargaRLEDecoder::Encode(const std::uint8_t* source, std::uint8_t* dest, std::size_t count) {
    const std::size_t width = static_cast<std::size_t>(depth_ + 1) / 8;
    auto same = [&](std::size_t a, std::size_t b) { return std::memcmp(source + a * width, source + b * width, width) == 0; };
    std::size_t stored = 0, at = 0;
    while (at < count) {
        const std::size_t left = count - at;
        std::size_t raw = 0;
        if (left == 1) {
            raw = 1;
        } else {
            while (raw + 1 < left && !same(at + raw, at + raw + 1)) ++raw;
        }
        std::size_t run = 1;
        while (run < left && same(at, at + run)) ++run;
        raw = std::min<std::size_t>(raw, 128);
        run = std::min<std::size_t>(run, 128);
        if (raw > 0) {
            dest[stored++] = static_cast<std::uint8_t>(raw - 1);
            std::memcpy(dest + stored, source + at * width, raw * width);
            stored += raw * width;
            at += raw;
        } else if (run >= 2) {
            dest[stored++] = static_cast<std::uint8_t>(0x80 + run - 1);
            std::memcpy(dest + stored, source + at * width, width);
            stored += width;
            at += run;
        }
    }
    return stored;
}

void TPackbitsRLEDecoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    const std::uint8_t* in = source;
    const std::uint8_t* end = source + packedSize;
    std::uint8_t* out = dest;
    std::size_t remaining = unpackedSize;
    while (remaining > 0 && in < end) {
        const auto b = static_cast<std::int8_t>(*in++);
        if (b >= 0) {
            const std::size_t n = std::min({static_cast<std::size_t>(b) + 1, remaining, static_cast<std::size_t>(end - in)});
            std::memcpy(out, in, n);
            out += n;
            in += std::min(static_cast<std::size_t>(b) + 1, static_cast<std::size_t>(end - in));
            remaining -= n;
        } else if (b != -128) {
            if (in >= end) break;
            const std::size_t n = std::min(static_cast<std::size_t>(1 - b), remaining);
            std::memset(out, *in++, n);
            out += n;
            remaining -= n;
        }
    }
}

void TPCXRLEDecoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    const std::uint8_t* in = source;
    const std::uint8_t* end = source + packedSize;
    std::uint8_t* out = dest;
    std::size_t remaining = unpackedSize;
    while (remaining > 0) {
        if (left_ > 0) {
            const std::size_t n = std::min(left_, remaining);
            std::memset(out, value_, n);
            out += n;
            remaining -= n;
            left_ -= n;
            continue;
        }
        if (in >= end) break;
        const std::uint8_t b = *in++;
        if (b < 0xC0) {
            *out++ = b;
            --remaining;
        } else {
            // A run's count with no byte after it ends the data.
            if (in >= end) break;
            left_ = b & 0x3F;
            value_ = *in++;
        }
    }
    source = in;
    dest = out;
}

void TPSPRLEDecoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    const std::uint8_t* in = source;
    const std::uint8_t* end = source + packedSize;
    std::uint8_t* out = dest;
    std::size_t remaining = unpackedSize;
    while (in < end && remaining > 0) {
        const std::uint8_t b = *in++;
        if (b < 128) {
            const std::size_t n = std::min({static_cast<std::size_t>(b), remaining, static_cast<std::size_t>(end - in)});
            std::memcpy(out, in, n);
            out += n;
            remaining -= n;
            in += std::min<std::size_t>(b, static_cast<std::size_t>(end - in));
        } else {
            if (in >= end) break;
            const std::size_t n = std::min<std::size_t>(b - 128u, remaining);
            std::memset(out, *in++, n);
            out += n;
            remaining -= n;
        }
    }
}

struct TLZ77Decoder::TState {
    z_stream stream{};
};

TLZ77Decoder::TLZ77Decoder(int flushMode, bool autoReset)
    : state_(std::make_unique<TState>()), flushMode_(flushMode), autoReset_(autoReset) {}

TLZ77Decoder::~TLZ77Decoder() {
    if (initialised_) inflateEnd(&state_->stream);
}

void TLZ77Decoder::DecodeInit() {
    if (inflateInit(&state_->stream) < 0) throw EGraphicCompression(std::string(LZ77Error));
    initialised_ = true;
    result_ = Z_OK;
}

void TLZ77Decoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    z_stream& z = state_->stream;
    z.next_in = const_cast<Bytef*>(source);
    z.avail_in = static_cast<uInt>(packedSize);
    if (autoReset_) {
        inflateReset(&z);
        result_ = Z_OK;
    }
    if (result_ != Z_OK) return;
    z.next_out = dest;
    z.avail_out = static_cast<uInt>(unpackedSize);
    result_ = inflate(&z, flushMode_);
    // Running out of output or input is not a failure of the data.
    if (result_ == Z_BUF_ERROR) result_ = Z_OK;
    source = z.next_in;
    dest = z.next_out;
}

void TLZ77Decoder::DecodeEnd() {
    if (!initialised_) return;
    initialised_ = false;
    if (inflateEnd(&state_->stream) < 0) throw EGraphicCompression(std::string(LZ77Error));
}

std::size_t TLZ77Decoder::AvailableInput() const { return state_->stream.avail_in; }
std::size_t TLZ77Decoder::AvailableOutput() const { return state_->stream.avail_out; }

}  // namespace pictorand
