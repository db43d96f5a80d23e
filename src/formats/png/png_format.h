// PNG: read in every colour type with its transparency; written with alpha, EXIF and an
// unconverted colour profile.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor PngFormat;

}  // namespace pictorand
