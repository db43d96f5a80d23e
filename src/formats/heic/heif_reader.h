// Reading the primary picture of a HEIF container (HEIC's HEVC or AVIF's AV1) through
// libheif, which turns and mirrors it by the container's own transforms.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

// The picture's size as shown, its alpha and depth, EXIF, XMP and its colour (an ICC
// profile, or code points when the file gives those instead); nothing for a file libheif
// cannot read. The orientation is always 1: the transforms are the decoder's.
TImageInfo ProbeHeif(std::span<const std::uint8_t> file);

// The primary picture at 8 bits a sample, with its alpha un-premultiplied. Failures
// raise EInvalidGraphic naming the format by `title`, and the raster cap holds before
// any pixel is decoded.
TDecodedImage DecodeHeif(std::span<const std::uint8_t> file, const TDecodeRequest& request, std::string_view title);

}  // namespace pictorand
