#include "formats/tiff/thunder_decoder.h"

namespace pictorand {

void TThunderDecoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    static constexpr int TwoBitDeltas[4] = {0, 1, 0, -1};
    static constexpr int ThreeBitDeltas[8] = {0, 1, 2, 3, 0, -3, -2, -1};
    const std::uint8_t* in = source;
    const std::uint8_t* end = source + packedSize;
    std::size_t written = 0;  // pixels
    const std::size_t capacity = unpackedSize * 2;
    while (written < capacity && in < end) {
        int last = 0;
        std::size_t round = 0;
        auto put = [&](int value) {
            if (written >= capacity || round >= width_) return;
            const auto nibble = static_cast<std::uint8_t>(value & 0x0F);
            std::uint8_t& byte = dest[written / 2];
            byte = (written & 1) ? static_cast<std::uint8_t>((byte & 0xF0) | nibble) : static_cast<std::uint8_t>(nibble << 4);
            ++written;
            ++round;
        };
        while (in < end && round < width_ && written < capacity) {
            const std::uint8_t b = *in++;
            switch (b >> 6) {
                case 0:
                    for (int n = b & 0x3F; n > 0; --n) put(last);
                    break;
                case 1:
                    for (int shift : {4, 2, 0}) {
                        const int code = b >> shift & 3;
                        if (code == 2) continue;
                        last += TwoBitDeltas[code];
                        put(last);
                    }
                    break;
                case 2:
                    for (int shift : {3, 0}) {
                        const int code = b >> shift & 7;
                        if (code == 4) continue;
                        last += ThreeBitDeltas[code];
                        put(last);
                    }
                    break;
                default:
                    last = b & 0x0F;
                    put(last);
                    break;
            }
        }
    }
    source = in;
}

}  // namespace pictorand
