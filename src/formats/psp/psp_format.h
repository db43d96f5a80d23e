// Paint Shop Pro: the first raster layer, read only.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor PspFormat;

}  // namespace pictorand
