#include "formats/common/exif.h"

#include <algorithm>
#include <optional>

namespace pictorand {

namespace {

constexpr std::uint16_t OrientationTag = 0x0112, ExifIfdTag = 0x8769, GpsIfdTag = 0x8825, InteropIfdTag = 0xA005;
constexpr std::size_t EntrySize = 12;
constexpr std::uint16_t MaxEntries = 1024;

// Bounded reads in the block's byte order.
class TExifView {
public:
    explicit TExifView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
        valid_ = bytes.size() >= 8 && ((bytes[0] == 'I' && bytes[1] == 'I') || (bytes[0] == 'M' && bytes[1] == 'M'));
        big_ = valid_ && bytes[0] == 'M';
        valid_ = valid_ && U16(2) == 42;
    }
    bool Valid() const { return valid_; }
    bool BigEndian() const { return big_; }
    std::uint32_t U16(std::size_t at) const {
        if (at + 2 > bytes_.size()) return 0;
        return big_ ? static_cast<std::uint32_t>(bytes_[at] << 8 | bytes_[at + 1]) : static_cast<std::uint32_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    std::uint32_t U32(std::size_t at) const { return big_ ? U16(at) << 16 | U16(at + 2) : U16(at) | U16(at + 2) << 16; }
    // The entry count of a directory that lies wholly inside the block, or nothing.
    std::optional<std::uint32_t> Entries(std::size_t ifd) const {
        if (ifd < 8 || ifd + 2 > bytes_.size()) return std::nullopt;
        const std::uint32_t count = U16(ifd);
        if (count > MaxEntries || ifd + 2 + count * EntrySize + 4 > bytes_.size()) return std::nullopt;
        return count;
    }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
    bool valid_ = false;
    bool big_ = false;
};

std::size_t TypeSize(std::uint32_t type) {
    switch (type) {
        case 1: case 2: case 6: case 7: return 1;
        case 3: case 8: return 2;
        case 4: case 9: case 11: case 13: return 4;
        case 5: case 10: case 12: return 8;
        default: return 0;
    }
}

// The end of everything a directory and its sub-directories occupy.
std::size_t DirectoryEnd(const TExifView& view, std::size_t ifd, int depth) {
    const auto count = view.Entries(ifd);
    if (!count || depth > 4) return 0;
    std::size_t end = ifd + 2 + *count * EntrySize + 4;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::size_t at = ifd + 2 + i * EntrySize;
        const std::uint32_t tag = view.U16(at), type = view.U16(at + 2), values = view.U32(at + 4);
        const std::uint64_t bytes = std::uint64_t{TypeSize(type)} * values;
        if (bytes > 4) end = std::max<std::size_t>(end, static_cast<std::size_t>(std::min<std::uint64_t>(view.U32(at + 8) + bytes, view.Size())));
        if (tag == ExifIfdTag || tag == GpsIfdTag || tag == InteropIfdTag) end = std::max(end, DirectoryEnd(view, view.U32(at + 8), depth + 1));
    }
    return end;
}

}  // namespace

int ExifOrientation(std::span<const std::uint8_t> exif) {
    const TExifView view(exif);
    if (!view.Valid()) return 1;
    const std::size_t ifd0 = view.U32(4);
    const auto count = view.Entries(ifd0);
    if (!count) return 1;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::size_t at = ifd0 + 2 + i * EntrySize;
        if (view.U16(at) != OrientationTag || view.U16(at + 2) != 3) continue;
        const std::uint32_t value = view.U16(at + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

std::span<const std::uint8_t> Ifd0TagBytes(std::span<const std::uint8_t> exif, std::uint16_t tag) {
    const TExifView view(exif);
    if (!view.Valid()) return {};
    const std::size_t ifd0 = view.U32(4);
    const auto count = view.Entries(ifd0);
    if (!count) return {};
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::size_t at = ifd0 + 2 + i * EntrySize;
        if (view.U16(at) != tag || TypeSize(view.U16(at + 2)) != 1) continue;
        const std::size_t size = view.U32(at + 4);
        const std::size_t from = size <= 4 ? at + 8 : view.U32(at + 8);
        if (from > exif.size() || size > exif.size() - from) return {};
        return exif.subspan(from, size);
    }
    return {};
}

std::vector<std::uint8_t> ExifFromTiffTags(std::span<const std::uint8_t> tiff) {
    constexpr std::uint16_t AsciiTags[] = {270, 271, 272, 305, 306, 315, 33432};
    constexpr std::uint16_t Ascii = 2, Short = 3;
    // Room for the header and directory is kept within an APP1 segment's 65533 bytes.
    constexpr std::size_t MostValueBytes = 60000;
    struct TEntry {
        std::uint16_t Tag;
        std::uint16_t Type;
        std::vector<std::uint8_t> Value;  // as stored, little-endian
    };
    std::vector<TEntry> entries;
    std::size_t valueBytes = 0;
    for (const std::uint16_t tag : AsciiTags) {
        const auto value = Ifd0TagBytes(tiff, tag);
        if (value.empty() || valueBytes + value.size() + 1 > MostValueBytes) continue;
        valueBytes += value.size() + value.size() % 2;
        entries.push_back({tag, Ascii, {value.begin(), value.end()}});
    }
    if (const int orientation = ExifOrientation(tiff); orientation != 1) {
        entries.push_back({OrientationTag, Short, {static_cast<std::uint8_t>(orientation), 0}});
    }
    if (entries.empty()) return {};
    std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) { return a.Tag < b.Tag; });

    std::vector<std::uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put16 = [&out](std::uint32_t v) { out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); };
    auto put32 = [&put16](std::uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    put16(static_cast<std::uint32_t>(entries.size()));
    // Values longer than four bytes follow the directory, each on a word boundary.
    const std::size_t valuesStart = out.size() + entries.size() * EntrySize + 4;
    std::vector<std::uint8_t> values;
    for (const TEntry& e : entries) {
        const std::size_t count = e.Type == Short ? 1 : e.Value.size();
        put16(e.Tag), put16(e.Type), put32(static_cast<std::uint32_t>(count));
        if (e.Value.size() <= 4) {
            std::uint8_t field[4] = {};
            std::copy(e.Value.begin(), e.Value.end(), field);
            out.insert(out.end(), field, field + 4);
            continue;
        }
        put32(static_cast<std::uint32_t>(valuesStart + values.size()));
        values.insert(values.end(), e.Value.begin(), e.Value.end());
        if (values.size() % 2) values.push_back(0);
    }
    put32(0);
    out.insert(out.end(), values.begin(), values.end());
    return out;
}

std::vector<std::uint8_t> ExifForOutput(std::span<const std::uint8_t> exif, bool turnedUpright) {
    const TExifView view(exif);
    if (!view.Valid()) return {};
    const std::size_t ifd0 = view.U32(4);
    const auto count = view.Entries(ifd0);
    if (!count) return {};
    std::vector<std::uint8_t> out(exif.begin(), exif.end());
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = static_cast<std::uint8_t>(view.BigEndian() ? v >> 8 : v);
        out[at + 1] = static_cast<std::uint8_t>(view.BigEndian() ? v : v >> 8);
    };
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::size_t at = ifd0 + 2 + i * EntrySize;
        if (turnedUpright && view.U16(at) == OrientationTag && view.U16(at + 2) == 3) put16(at + 8, 1);
    }
    const std::size_t next = ifd0 + 2 + *count * EntrySize;
    const std::size_t thumbnail = view.U32(next);
    put16(next, 0);
    put16(next + 2, 0);
    // The thumbnail directory and its picture usually close the block: cut them off when
    // everything the other directories hold lies before them.
    if (thumbnail >= 8 && thumbnail < out.size() && DirectoryEnd(view, ifd0, 0) <= thumbnail) out.resize(thumbnail);
    return out;
}

}  // namespace pictorand
