// Windows metafiles: drawn onto a raster of their size; written as a placeable metafile
// that draws the raster once.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor WmfFormat;

}  // namespace pictorand
