// AVIF: read through libheif like HEIF (turned by the container's own transforms), written
// through libavif with a quality from 1 to 100 and an effort onto its encoder speed.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor AvifFormat;

}  // namespace pictorand
