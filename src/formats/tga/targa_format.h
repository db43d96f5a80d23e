// Truevision Targa: read with 32-bit alpha, written run-length compressed.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

extern const TFormatDescriptor TargaFormat;

}  // namespace pictorand
