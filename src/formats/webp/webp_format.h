// WebP through libwebp: lossy, lossless, alpha and the first frame of an animation read,
// with their profile, EXIF and XMP; written at a quality or losslessly, with them.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor WebpFormat;

}  // namespace pictorand
