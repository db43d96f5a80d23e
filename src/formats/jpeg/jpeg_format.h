// JPEG through libjpeg: read (at a reduced size when asked) and written at the quality
// of the classic list, with the metadata a photo carries.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor JpegFormat;

}  // namespace pictorand
