// JPEG XL through libjxl: read at 8 bits a sample with its alpha, colour profile, EXIF
// and XMP, turned by its own orientation; written lossy (a quality from 1 to 100 onto
// the encoder's distance) or lossless, with an effort onto the encoder's own.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor JxlFormat;

}  // namespace pictorand
