// GIF: the first frame read with its transparent index; written reduced to 256 colours.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor GifFormat;

}  // namespace pictorand
