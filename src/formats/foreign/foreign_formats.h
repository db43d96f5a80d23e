// Picture formats the program knows by their names and marks but does not read, so that
// a folder's PSB or OpenEXR file is reported as a picture left unread rather than passed
// over like a text file.
#pragma once

#include <span>

#include "formats/common/format_descriptor.h"

namespace pictorand {

// Descriptors that neither read nor write: a title, extensions and signatures only.
std::span<const TFormatDescriptor* const> ForeignFormats();

}  // namespace pictorand
