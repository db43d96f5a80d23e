// A small JPEG whose EXIF says how it is to be turned, with a red block marking its stored
// top-left corner, for the tests of orientation.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/common/metadata_segments.h"
#include "formats/format_table.h"
#include "graphics/stream.h"
#include "test_images.h"

namespace pictorand::testing {

// A minimal little-endian EXIF block: IFD0 with the orientation and the camera make.
inline std::vector<std::uint8_t> ExifBlock(int orientation) {
    std::vector<std::uint8_t> b = {'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0};
    auto u16 = [&b](int v) { b.insert(b.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); };
    auto u32 = [&](int v) { u16(v & 0xFFFF); u16(v >> 16); };
    u16(0x010F), u16(2), u32(4), b.insert(b.end(), {'A', 'c', 'm', 0});  // Make, ASCII "Acm"
    u16(0x0112), u16(3), u32(1), u16(orientation), u16(0);              // Orientation, SHORT
    u32(0);                                                             // no next directory
    return b;
}

// A 32 x 16 picture, grey but for a red 8 x 8 block in its top-left corner, as a JPEG
// file carrying an orientation.
inline std::vector<std::uint8_t> MarkedJpeg(int orientation) {
    TBitmap picture = Solid(32, 16, RGBColor(128, 128, 128));
    picture.FillRect({0, 0, 8, 8}, RGBColor(255, 0, 0));
    TMemoryStream encoded;
    OutputFormatNamed("jpg")->Encode(encoded, picture, {95});
    TSourceMetadata metadata;
    metadata.Exif = ExifBlock(orientation);
    return JpegWithMetadata(encoded.Bytes(), metadata);
}

}  // namespace pictorand::testing
