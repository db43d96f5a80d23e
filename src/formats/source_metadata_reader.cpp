#include "formats/source_metadata_reader.h"

#include <fstream>
#include <vector>

#include "formats/format_table.h"
#include "formats/jpeg/jpeg_metadata.h"
#include "formats/png/png_metadata.h"
#include "formats/psd/psd_metadata.h"
#include "formats/tiff/tiff_metadata.h"

namespace pictorand {

TSourceMetadata ReadSourceMetadata(std::span<const std::uint8_t> file) {
    const TFormatRow* row = IdentifyByContent(file.first(std::min<std::size_t>(file.size(), 32)));
    if (!row) return {};
    if (row->Name == "jpg") return ReadJpegMetadata(file);
    if (row->Name == "png") return ReadPngMetadata(file);
    if (row->Name == "tif") return ReadTiffMetadata(file);
    if (row->Name == "psd") return ReadPsdMetadata(file);
    return {};
}

TSourceMetadata ReadSourceMetadataFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadSourceMetadata(bytes);
}

}  // namespace pictorand
