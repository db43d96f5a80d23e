#include "formats/source_metadata_reader.h"

#include <algorithm>

#include "formats/format_table.h"

namespace pictorand {

TSourceMetadata ReadSourceMetadata(std::span<const std::uint8_t> file) {
    const TFormatDescriptor* format = IdentifyByContent(file.first(std::min(file.size(), SignatureBytes)));
    return format ? format->Probe(file).Metadata : TSourceMetadata{};
}

}  // namespace pictorand
