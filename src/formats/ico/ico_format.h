// Windows icons: written only, one image fitted to 32 pixels, 32-bit when it has alpha.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor IcoFormat;

}  // namespace pictorand
