// ZSoft PCX: read in every classic layout, written as three 8-bit planes.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor PcxFormat;

}  // namespace pictorand
