// Photoshop (PSD, PDD): the merged image, read only.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor PsdFormat;

}  // namespace pictorand
