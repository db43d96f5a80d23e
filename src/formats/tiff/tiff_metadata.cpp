#include "formats/tiff/tiff_metadata.h"

#include "formats/common/exif.h"
#include "formats/common/tiff_directory.h"

namespace pictorand {

namespace {

// The IPTC records of the IPTC-NAA tag, as stored whatever type the tag claims (writers
// call them bytes or longs), wrapped in the Photoshop resource that carries IPTC in
// other formats: "8BIM", 1028, an empty name, the length and the records, padded even.
std::vector<std::uint8_t> IptcResource(std::span<const std::uint8_t> file) {
    constexpr std::uint16_t IptcTag = 33723;
    constexpr std::uint16_t MaxEntries = 4096;
    constexpr std::size_t MostBytes = 60000;  // within one JPEG APP13 segment
    const TTiffStructure tiff(file);
    const auto ifd0 = tiff.Valid() ? TTiffDirectory::Read(tiff, tiff.FirstDirectory(), MaxEntries, false) : std::nullopt;
    const TTiffEntry* entry = ifd0 ? ifd0->Find(IptcTag) : nullptr;
    if (!entry) return {};
    const std::uint64_t bytes = std::uint64_t{TiffTypeSize(entry->Type)} * entry->Count;
    if (bytes == 0 || bytes > MostBytes) return {};
    const std::size_t at = bytes <= 4 ? entry->ValueAt : tiff.U32(entry->ValueAt);
    if (at > file.size() || file.size() - at < bytes) return {};
    const auto records = file.subspan(at, static_cast<std::size_t>(bytes));
    std::vector<std::uint8_t> resource = {'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0};
    for (int shift : {24, 16, 8, 0}) resource.push_back(static_cast<std::uint8_t>(records.size() >> shift));
    resource.insert(resource.end(), records.begin(), records.end());
    if (resource.size() % 2) resource.push_back(0);
    return resource;
}

}  // namespace

TSourceMetadata ReadTiffMetadata(std::span<const std::uint8_t> file) {
    constexpr std::uint16_t IccTag = 34675, XmpTag = 700;
    TSourceMetadata metadata;
    metadata.Orientation = ExifOrientation(file);
    const auto icc = Ifd0TagBytes(file, IccTag);
    metadata.IccProfile.assign(icc.begin(), icc.end());
    const auto xmp = Ifd0TagBytes(file, XmpTag);
    metadata.Xmp.assign(xmp.begin(), xmp.end());
    metadata.Exif = ExifFromTiffTags(file);
    metadata.Iptc = IptcResource(file);
    return metadata;
}

}  // namespace pictorand
