// TIFF's LZW: codes of 9 to 12 bits, most significant bit first, with the code width
// growing one code early; files from the oldest writers put codes least significant bit
// first and grow on time, which the first two bytes of a strip tell.
#pragma once

#include <array>
#include <cstdint>

#include "formats/common/decoders.h"

namespace pictorand {

class TTiffLzwDecoder : public TDecoder {
public:
    // Decodes one strip or tile, which starts with a fresh table; data past the end code,
    // a code the table cannot yet hold, or the end of the data ends it.
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;

private:
    static constexpr int MaxCodes = 4096;
    std::array<std::uint16_t, MaxCodes> prefix_{};
    std::array<std::uint8_t, MaxCodes> suffix_{};
    std::array<std::uint16_t, MaxCodes> length_{};
    std::array<std::uint8_t, MaxCodes> string_{};
};

}  // namespace pictorand
