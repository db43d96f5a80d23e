// ReadSourceMetadata: the metadata of a file, as the probe of the format its first bytes
// name finds it.
#pragma once

#include <span>

#include "formats/common/source_metadata.h"

namespace pictorand {

// Every format's probe reads what its files carry (JPEG, PNG, TIFF and Photoshop files
// carry metadata); a file no format recognises gives none.
TSourceMetadata ReadSourceMetadata(std::span<const std::uint8_t> file);

}  // namespace pictorand
