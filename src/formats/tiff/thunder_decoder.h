// ThunderScan 4-bit compression of TIFF strips: runs and two- and three-bit deltas.
#pragma once

#include "formats/common/decoders.h"

namespace pictorand {

class TThunderDecoder : public TDecoder {
public:
    explicit TThunderDecoder(std::size_t width) : width_(width) {}
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;

private:
    std::size_t width_;
};

}  // namespace pictorand
