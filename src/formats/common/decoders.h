// The compression decoders of the readers. Every decoder stays inside the packed bytes
// it is given and the unpacked size it is asked for; a packet that would cross either
// bound is cut there.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/exceptions.h"

namespace pictorand {

class TDecoder {
public:
    virtual ~TDecoder() = default;
    // Decodes from source (packedSize bytes) into dest (unpackedSize units); only the
    // decoders that say so move the pointers.
    virtual void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) = 0;
    virtual void DecodeInit() {}
    virtual void DecodeEnd() {}
    // Encodes count pixels; answers the bytes stored.
    virtual std::size_t Encode(const std::uint8_t* source, std::uint8_t* dest, std::size_t count);
};

// Bytes of one Targa pixel of the given depth (8, 15, 16, 24, 32).
std::size_t TargaBytesPerPixel(int depth);

// Targa run-length packets; the unpacked size counts pixels. Decode moves the source past
// the bytes used and the destination past the pixels written. A packet may run on from one
// row into the next: what it has left is given by the next call (DecodeInit forgets it),
// so a picture is unpacked a row at a time. Decoding ends at the first packet the data
// cannot hold.
class TTargaRLEDecoder : public TDecoder {
public:
    explicit TTargaRLEDecoder(int colorDepth) : depth_(colorDepth) {}
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
    void DecodeInit() override;
    std::size_t Encode(const std::uint8_t* source, std::uint8_t* dest, std::size_t count) override;

private:
    int depth_;
    std::uint8_t value_[4] = {};  // the pixel of a run packet that runs on
    bool repeat_ = false;         // whether the packet that runs on is a run
    std::size_t left_ = 0;        // pixels the packet that runs on still gives
    bool ended_ = false;
};

class TPackbitsRLEDecoder : public TDecoder {
public:
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
};

// PCX run-length data. A run may reach past the bytes asked for, as from one row into the
// next: what it has left is given by the next call (DecodeInit forgets it), so a picture is
// unpacked a row at a time. Source and dest are left past what was used and written.
class TPCXRLEDecoder : public TDecoder {
public:
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
    void DecodeInit() override { left_ = 0; }

private:
    std::uint8_t value_ = 0;  // the byte of the run that runs on
    std::size_t left_ = 0;    // bytes the run that runs on still gives
};

class TPSPRLEDecoder : public TDecoder {
public:
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
};

// Deflate over zlib's inflate.
class TLZ77Decoder : public TDecoder {
public:
    TLZ77Decoder(int flushMode, bool autoReset);
    ~TLZ77Decoder() override;
    void DecodeInit() override;
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
    void DecodeEnd() override;

    std::size_t AvailableInput() const;
    std::size_t AvailableOutput() const;
    int LastResult() const { return result_; }

private:
    struct TState;
    std::unique_ptr<TState> state_;
    int flushMode_;
    bool autoReset_;
    int result_ = 0;
    bool initialised_ = false;
};

inline constexpr std::string_view LZ77Error = "LZ77 decompression error.";

}  // namespace pictorand
