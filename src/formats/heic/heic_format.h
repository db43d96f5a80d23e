// HEIF (HEIC) through libheif: the primary picture, 8, 10 or 12 bits, with its alpha,
// colour profile or colour code points, EXIF and XMP; turned by the container itself.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor HeicFormat;

}  // namespace pictorand
