// BMP: the raster's own file format, read and written by the codec beside TBitmap.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor BmpFormat;

}  // namespace pictorand
