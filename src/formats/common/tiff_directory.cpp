#include "formats/common/tiff_directory.h"

#include <algorithm>
#include <cstring>

namespace pictorand {

namespace {
constexpr std::size_t EntrySize = 12;
}  // namespace

std::size_t TiffTypeSize(std::uint32_t type) {
    switch (type) {
        case 1: case 2: case 6: case 7: return 1;
        case 3: case 8: return 2;
        case 4: case 9: case 11: case 13: return 4;
        case 5: case 10: case 12: return 8;
        default: return 0;
    }
}

TTiffStructure::TTiffStructure(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
    valid_ = bytes.size() >= 8 && ((bytes[0] == 'I' && bytes[1] == 'I') || (bytes[0] == 'M' && bytes[1] == 'M'));
    big_ = valid_ && bytes[0] == 'M';
    valid_ = valid_ && U16(2) == 42;
}

std::uint32_t TTiffStructure::U16(std::size_t at) const {
    if (at + 2 > bytes_.size()) return 0;
    return big_ ? static_cast<std::uint32_t>(bytes_[at] << 8 | bytes_[at + 1]) : static_cast<std::uint32_t>(bytes_[at] | bytes_[at + 1] << 8);
}

std::uint32_t TTiffStructure::U32(std::size_t at) const {
    if (at + 4 > bytes_.size()) return 0;
    const std::uint8_t* p = bytes_.data() + at;
    return big_ ? (std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3])
                : (std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0]);
}

std::vector<double> TTiffStructure::Values(const TTiffEntry& e) const {
    std::vector<double> values;
    const std::size_t size = TiffTypeSize(e.Type);
    if (size == 0 || e.Type == 13) return values;
    const std::size_t bytes = size * e.Count;
    const std::size_t at = bytes <= 4 ? e.ValueAt : e.Value;
    if (e.Count > bytes_.size() || at + bytes > bytes_.size()) return values;
    values.reserve(e.Count);
    for (std::uint32_t i = 0; i < e.Count; ++i) {
        const std::size_t p = at + i * size;
        switch (e.Type) {
            case 1: case 2: case 7: values.push_back(bytes_[p]); break;
            case 6: values.push_back(static_cast<std::int8_t>(bytes_[p])); break;
            case 3: values.push_back(U16(p)); break;
            case 8: values.push_back(static_cast<std::int16_t>(U16(p))); break;
            case 4: values.push_back(U32(p)); break;
            case 9: values.push_back(static_cast<std::int32_t>(U32(p))); break;
            case 5: {
                const std::uint32_t d = U32(p + 4);
                values.push_back(d == 0 ? 0.0 : static_cast<double>(U32(p)) / d);
                break;
            }
            case 10: {
                const auto d = static_cast<std::int32_t>(U32(p + 4));
                values.push_back(d == 0 ? 0.0 : static_cast<double>(static_cast<std::int32_t>(U32(p))) / d);
                break;
            }
            case 11: {
                const std::uint32_t raw = U32(p);
                float f;
                std::memcpy(&f, &raw, 4);
                values.push_back(f);
                break;
            }
            default: {
                std::uint64_t raw = std::uint64_t{U32(p)} | std::uint64_t{U32(p + 4)} << 32;
                if (big_) raw = std::uint64_t{U32(p + 4)} | std::uint64_t{U32(p)} << 32;
                double d;
                std::memcpy(&d, &raw, 8);
                values.push_back(d);
                break;
            }
        }
    }
    return values;
}

std::span<const std::uint8_t> TTiffStructure::ByteValues(const TTiffEntry& e) const {
    if (TiffTypeSize(e.Type) != 1) return {};
    const std::size_t size = e.Count;
    const std::size_t from = size <= 4 ? e.ValueAt : e.Value;
    if (from > bytes_.size() || size > bytes_.size() - from) return {};
    return bytes_.subspan(from, size);
}

std::optional<TTiffDirectory> TTiffDirectory::Read(const TTiffStructure& tiff, std::size_t offset, std::uint32_t maxEntries,
                                                   bool withLink) {
    const std::size_t size = tiff.Bytes().size();
    if (offset + 2 > size) return std::nullopt;
    const std::uint32_t count = tiff.U16(offset);
    if (count > maxEntries || offset + 2 + count * EntrySize + (withLink ? 4 : 0) > size) return std::nullopt;
    TTiffDirectory directory;
    directory.linkAt_ = offset + 2 + count * EntrySize;
    directory.entries_.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = offset + 2 + i * EntrySize;
        TTiffEntry e{static_cast<std::uint16_t>(tiff.U16(at)), static_cast<std::uint16_t>(tiff.U16(at + 2)), tiff.U32(at + 4), 0, at + 8, at};
        const std::size_t bytes = TiffTypeSize(e.Type) * e.Count;
        e.Value = (e.Type == 3 || e.Type == 8) && e.Count == 1 ? tiff.U16(at + 8)
                  : bytes < 4 && bytes > 0                      ? tiff.Bytes()[at + 8]
                                                                : tiff.U32(at + 8);
        directory.entries_.push_back(e);
    }
    directory.byTag_ = directory.entries_;
    std::sort(directory.byTag_.begin(), directory.byTag_.end(), [](const TTiffEntry& a, const TTiffEntry& b) { return a.Tag < b.Tag; });
    return directory;
}

const TTiffEntry* TTiffDirectory::Find(std::uint16_t tag) const {
    const auto it = std::lower_bound(byTag_.begin(), byTag_.end(), tag, [](const TTiffEntry& e, std::uint16_t t) { return e.Tag < t; });
    return it != byTag_.end() && it->Tag == tag ? &*it : nullptr;
}

}  // namespace pictorand
