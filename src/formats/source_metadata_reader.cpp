#include "formats/source_metadata_reader.h"

#include <algorithm>
#include <vector>

#include "formats/format_table.h"
#include "formats/jpeg/jpeg_metadata.h"
#include "formats/png/png_metadata.h"
#include "formats/psd/psd_metadata.h"
#include "formats/tiff/tiff_metadata.h"
#include "graphics/file_stream.h"

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
    try {
        TFileStream in(path, TFileMode::OpenRead);
        const std::int64_t size = in.Size();
        if (size <= 0) return {};
        // The whole file is read only for a format that carries metadata.
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::int64_t>(size, 32)));
        bytes.resize(in.Read(bytes.data(), bytes.size()));
        const TMetadataReader reader = ReaderFor(bytes);
        if (!reader) return {};
        const std::size_t head = bytes.size();
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(head + in.Read(bytes.data() + head, bytes.size() - head));
        return reader(bytes);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace pictorand
