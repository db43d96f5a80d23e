// TIFF: the first image read in strips or tiles; written uncompressed in one strip,
// with an unconverted colour profile when there is one.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor TiffFormat;

}  // namespace pictorand
