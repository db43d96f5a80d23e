// TTIFFJPEGDecoder: JPEG-compressed TIFF strips and tiles over libjpeg, checked against the TIFF
// description; rows come out blue, green, red for colour data.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "formats/common/decoders.h"
#include "formats/common/image_properties.h"

namespace pictorand {

class TTIFFJPEGDecoder : public TDecoder {
public:
    // width: the pixels across one strip or tile. warn receives the library's warnings and
    // the premature-end notice.
    TTIFFJPEGDecoder(const TImageProperties& properties, std::size_t width, std::function<void(std::string_view)> warn);
    ~TTIFFJPEGDecoder() override;

    void DecodeInit() override;
    void Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) override;
    void DecodeEnd() override;

private:
    struct TState;
    const TImageProperties& properties_;
    std::size_t width_;
    std::function<void(std::string_view)> warn_;
    std::unique_ptr<TState> state_;
};

namespace reader_messages {
inline constexpr std::string_view BogusTables = "Bogus JPEG tables field.";
inline constexpr std::string_view UnexpectedEnd = "JPEG decompression error. Unexpected end of input.";
inline constexpr std::string_view StripSize = "Improper JPEG strip/tile size.";
inline constexpr std::string_view ComponentCount = "Improper JPEG component count.";
inline constexpr std::string_view Precision = "Improper JPEG data precision.";
inline constexpr std::string_view Sampling = "Improper JPEG sampling factors.";
inline constexpr std::string_view Fractional = "Fractional JPEG scanline unsupported.";
}  // namespace reader_messages

}  // namespace pictorand
