#include "formats/source_metadata_reader.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "formats/format_table.h"
#include "formats/jpeg/jpeg_metadata.h"
#include "formats/png/png_metadata.h"
#include "formats/psd/psd_metadata.h"
#include "formats/tiff/tiff_metadata.h"

namespace pictorand {

namespace {

using TMetadataReader = TSourceMetadata (*)(std::span<const std::uint8_t>);

// The metadata reader for the format a file's first bytes name; null for the formats
// that carry none.
TMetadataReader ReaderFor(std::span<const std::uint8_t> head) {
    const TFormatRow* row = IdentifyByContent(head.first(std::min<std::size_t>(head.size(), 32)));
    if (!row) return nullptr;
    if (row->Name == "jpg") return &ReadJpegMetadata;
    if (row->Name == "png") return &ReadPngMetadata;
    if (row->Name == "tif") return &ReadTiffMetadata;
    if (row->Name == "psd") return &ReadPsdMetadata;
    return nullptr;
}

}  // namespace

TSourceMetadata ReadSourceMetadata(std::span<const std::uint8_t> file) {
    const TMetadataReader reader = ReaderFor(file);
    return reader ? reader(file) : TSourceMetadata{};
}

TSourceMetadata ReadSourceMetadataFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    const std::streamoff size = in.tellg();
    if (size <= 0) return {};
    // The whole file is read only for a format that carries metadata.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::streamoff>(size, 32)));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return {};
    const TMetadataReader reader = ReaderFor(bytes);
    if (!reader) return {};
    const std::size_t head = bytes.size();
    bytes.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data() + head), static_cast<std::streamsize>(bytes.size() - head));
    bytes.resize(head + static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return reader(bytes);
}

}  // namespace pictorand
