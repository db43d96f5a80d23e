// ReadSourceMetadata: the metadata of a source file, by the format its first bytes name.
#pragma once

#include <span>
#include <string>

#include "formats/common/source_metadata.h"

namespace pictorand {

// JPEG, PNG, TIFF and Photoshop files carry metadata; every other file gives none.
TSourceMetadata ReadSourceMetadata(std::span<const std::uint8_t> file);
// The same for a file on disk; none when it cannot be read.
TSourceMetadata ReadSourceMetadataFromFile(const std::string& path);

}  // namespace pictorand
