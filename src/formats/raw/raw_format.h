// Camera raw pictures (DNG and the cameras' own formats) through LibRaw: demosaiced with
// the camera's white balance into sRGB at 8 bits a sample, turned by the raw's own flip;
// at half size when the picture is wanted that much smaller.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor RawFormat;

}  // namespace pictorand
