#include "formats/common/exif.h"

#include <algorithm>
#include <optional>

#include "formats/common/tiff_directory.h"

namespace pictorand {

namespace {

constexpr std::uint16_t OrientationTag = 0x0112, ExifIfdTag = 0x8769, GpsIfdTag = 0x8825, InteropIfdTag = 0xA005;
constexpr std::size_t EntrySize = 12;
constexpr std::uint16_t MaxEntries = 1024;

// IFD0 of a block, when its entries and the link after them lie within the block.
std::optional<TTiffDirectory> FirstDirectory(const TTiffStructure& exif) {
    if (!exif.Valid() || exif.FirstDirectory() < 8) return std::nullopt;
    return TTiffDirectory::Read(exif, exif.FirstDirectory(), MaxEntries, true);
}

// The end of everything a directory and its sub-directories occupy.
std::size_t DirectoryEnd(const TTiffStructure& exif, std::size_t ifd, int depth) {
    if (ifd < 8 || depth > 4) return 0;
    const auto directory = TTiffDirectory::Read(exif, ifd, MaxEntries, true);
    if (!directory) return 0;
    std::size_t end = directory->LinkAt() + 4;
    for (const TTiffEntry& e : directory->Entries()) {
        const std::uint64_t bytes = std::uint64_t{TiffTypeSize(e.Type)} * e.Count;
        const std::size_t size = exif.Bytes().size();
        if (bytes > 4) end = std::max<std::size_t>(end, static_cast<std::size_t>(std::min<std::uint64_t>(exif.U32(e.ValueAt) + bytes, size)));
        if (e.Tag == ExifIfdTag || e.Tag == GpsIfdTag || e.Tag == InteropIfdTag) end = std::max(end, DirectoryEnd(exif, exif.U32(e.ValueAt), depth + 1));
    }
    return end;
}

}  // namespace

int ExifOrientation(std::span<const std::uint8_t> block) {
    const TTiffStructure exif(block);
    const auto ifd0 = FirstDirectory(exif);
    if (!ifd0) return 1;
    for (const TTiffEntry& e : ifd0->Entries()) {
        if (e.Tag != OrientationTag || e.Type != 3) continue;
        const std::uint32_t value = exif.U16(e.ValueAt);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

std::span<const std::uint8_t> Ifd0TagBytes(std::span<const std::uint8_t> block, std::uint16_t tag) {
    const TTiffStructure exif(block);
    const auto ifd0 = FirstDirectory(exif);
    if (!ifd0) return {};
    for (const TTiffEntry& e : ifd0->Entries())
        if (e.Tag == tag && TiffTypeSize(e.Type) == 1) return exif.ByteValues(e);
    return {};
}

namespace {

// One entry of a block being written: its value as little-endian bytes.
struct TNewEntry {
    std::uint16_t Tag;
    std::uint16_t Type;
    std::uint32_t Count;
    std::vector<std::uint8_t> Value;
};

// Room for the headers and directories is kept within an APP1 segment's 65533 bytes.
constexpr std::size_t MostValueBytes = 56000;

// An entry's values turned little-endian: each element by its own size, a rational's
// two halves apart. Nothing for types of unknown size or values outside the bytes.
std::optional<TNewEntry> LittleEndianEntry(const TTiffStructure& tiff, const TTiffEntry& e) {
    const std::size_t size = TiffTypeSize(e.Type);
    const std::uint64_t bytes = std::uint64_t{size} * e.Count;
    if (size == 0 || bytes == 0 || bytes > MostValueBytes) return std::nullopt;
    const std::size_t at = bytes <= 4 ? e.ValueAt : tiff.U32(e.ValueAt);
    const auto whole = tiff.Bytes();
    if (at > whole.size() || whole.size() - at < bytes) return std::nullopt;
    std::vector<std::uint8_t> value(whole.begin() + static_cast<std::ptrdiff_t>(at), whole.begin() + static_cast<std::ptrdiff_t>(at + bytes));
    const std::size_t element = (e.Type == 5 || e.Type == 10) ? 4 : size;
    if (tiff.BigEndian() && element > 1) {
        for (std::size_t k = 0; k + element <= value.size(); k += element) std::reverse(value.begin() + static_cast<std::ptrdiff_t>(k), value.begin() + static_cast<std::ptrdiff_t>(k + element));
    }
    return TNewEntry{e.Tag, e.Type, e.Count, std::move(value)};
}

// The entries of a sub-directory (Exif or GPS) that can be carried as they are: not the
// maker's note or pointers to further directories, whose offsets would no longer hold.
std::vector<TNewEntry> CarriedEntries(const TTiffStructure& tiff, std::uint32_t offset, std::size_t& valueBytes) {
    constexpr std::uint16_t MakerNoteTag = 0x927C;
    std::vector<TNewEntry> entries;
    const auto directory = offset >= 8 ? TTiffDirectory::Read(tiff, offset, MaxEntries, false) : std::nullopt;
    if (!directory) return entries;
    for (const TTiffEntry& e : directory->Entries()) {
        if (e.Tag == MakerNoteTag || e.Tag == InteropIfdTag || e.Tag == ExifIfdTag || e.Tag == GpsIfdTag) continue;
        auto entry = LittleEndianEntry(tiff, e);
        if (!entry || valueBytes + entry->Value.size() > MostValueBytes) continue;
        valueBytes += entry->Value.size() + entry->Value.size() % 2;
        entries.push_back(std::move(*entry));
    }
    std::sort(entries.begin(), entries.end(), [](const TNewEntry& a, const TNewEntry& b) { return a.Tag < b.Tag; });
    return entries;
}

// Appends a directory with its values after it; answers where each entry's value field
// lies, for pointers to be filled in later.
std::vector<std::size_t> AppendDirectory(std::vector<std::uint8_t>& out, const std::vector<TNewEntry>& entries) {
    auto put16 = [&out](std::uint32_t v) { out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); };
    auto put32 = [&put16](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    std::vector<std::size_t> fields;
    put16(static_cast<std::uint32_t>(entries.size()));
    // Values longer than four bytes follow the directory, each on a word boundary.
    const std::size_t valuesStart = out.size() + entries.size() * EntrySize + 4;
    std::vector<std::uint8_t> values;
    for (const TNewEntry& e : entries) {
        put16(e.Tag);
        put16(e.Type);
        put32(e.Count);
        fields.push_back(out.size());
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
    return fields;
}

}  // namespace

std::vector<std::uint8_t> ExifFromTiffTags(std::span<const std::uint8_t> tiff) {
    constexpr std::uint16_t AsciiTags[] = {270, 271, 272, 305, 306, 315, 33432};
    constexpr std::uint16_t Ascii = 2, Short = 3, Long = 4;
    const TTiffStructure file(tiff);
    const auto ifd0 = FirstDirectory(file);
    std::vector<TNewEntry> entries;
    std::size_t valueBytes = 0;
    for (const std::uint16_t tag : AsciiTags) {
        const auto value = Ifd0TagBytes(tiff, tag);
        if (value.empty() || valueBytes + value.size() + 1 > MostValueBytes) continue;
        valueBytes += value.size() + value.size() % 2;
        entries.push_back({tag, Ascii, static_cast<std::uint32_t>(value.size()), {value.begin(), value.end()}});
    }
    if (const int orientation = ExifOrientation(tiff); orientation != 1) {
        entries.push_back({OrientationTag, Short, 1, {static_cast<std::uint8_t>(orientation), 0}});
    }
    // The Exif directory (exposure, dates, lens) and the GPS directory go along whole.
    std::vector<std::pair<std::uint16_t, std::vector<TNewEntry>>> subdirectories;
    for (const std::uint16_t pointer : {ExifIfdTag, GpsIfdTag}) {
        const TTiffEntry* entry = ifd0 ? ifd0->Find(pointer) : nullptr;
        if (!entry) continue;
        auto sub = CarriedEntries(file, entry->Value, valueBytes);
        if (sub.empty()) continue;
        entries.push_back({pointer, Long, 1, {0, 0, 0, 0}});
        subdirectories.emplace_back(pointer, std::move(sub));
    }
    if (entries.empty()) return {};
    std::sort(entries.begin(), entries.end(), [](const TNewEntry& a, const TNewEntry& b) { return a.Tag < b.Tag; });

    std::vector<std::uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const std::vector<std::size_t> fields = AppendDirectory(out, entries);
    for (const auto& [pointer, sub] : subdirectories) {
        const auto at = std::find_if(entries.begin(), entries.end(), [pointer = pointer](const TNewEntry& e) { return e.Tag == pointer; });
        const std::size_t field = fields[static_cast<std::size_t>(at - entries.begin())];
        const auto offset = static_cast<std::uint32_t>(out.size());
        for (int k = 0; k < 4; ++k) out[field + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(offset >> (8 * k));
        AppendDirectory(out, sub);
    }
    return out;
}

std::vector<std::uint8_t> ExifForOutput(std::span<const std::uint8_t> block, const TExifUpdate& update) {
    const TTiffStructure exif(block);
    const auto ifd0 = FirstDirectory(exif);
    if (!ifd0) return {};
    std::vector<std::uint8_t> out(block.begin(), block.end());
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = static_cast<std::uint8_t>(exif.BigEndian() ? v >> 8 : v);
        out[at + 1] = static_cast<std::uint8_t>(exif.BigEndian() ? v : v >> 8);
    };
    // A SHORT or LONG value in its entry's field.
    auto putNumber = [&](const TTiffEntry& e, std::uint32_t v) {
        if (e.Count != 1) return;
        if (e.Type == 3 && v <= 0xFFFF) put16(e.ValueAt, v);
        if (e.Type == 4) exif.BigEndian() ? (put16(e.ValueAt, v >> 16), put16(e.ValueAt + 2, v & 0xFFFF)) : (put16(e.ValueAt, v & 0xFFFF), put16(e.ValueAt + 2, v >> 16));
    };
    for (const TTiffEntry& e : ifd0->Entries())
        if (update.TurnedUpright && e.Tag == OrientationTag && e.Type == 3) put16(e.ValueAt, 1);
    // The Exif directory's size and colour space, and the interoperability directory's
    // index, say what the output's pixels are.
    constexpr std::uint16_t ColorSpaceTag = 0xA001, WidthTag = 0xA002, HeightTag = 0xA003, InteropIndexTag = 0x0001;
    if (const TTiffEntry* pointer = ifd0->Find(ExifIfdTag)) {
        if (const auto sub = TTiffDirectory::Read(exif, pointer->Value, MaxEntries, false)) {
            for (const TTiffEntry& e : sub->Entries()) {
                if (update.Width > 0 && e.Tag == WidthTag) putNumber(e, static_cast<std::uint32_t>(update.Width));
                if (update.Height > 0 && e.Tag == HeightTag) putNumber(e, static_cast<std::uint32_t>(update.Height));
                if (update.InSrgb && e.Tag == ColorSpaceTag) putNumber(e, 1);
            }
            const TTiffEntry* interop = sub->Find(InteropIfdTag);
            const auto interopDirectory = interop ? TTiffDirectory::Read(exif, interop->Value, MaxEntries, false) : std::nullopt;
            const TTiffEntry* index = interopDirectory ? interopDirectory->Find(InteropIndexTag) : nullptr;
            // "R03" (Adobe RGB) becomes "R98" (sRGB): four bytes, in the entry itself.
            if (update.InSrgb && index && index->Type == 2 && index->Count == 4 && index->ValueAt + 3 < out.size())
                std::copy_n("R98", 3, out.begin() + static_cast<std::ptrdiff_t>(index->ValueAt));
        }
    }
    const std::size_t next = ifd0->LinkAt();
    const std::size_t thumbnail = exif.U32(next);
    put16(next, 0);
    put16(next + 2, 0);
    // The thumbnail directory and its picture usually close the block: cut them off when
    // everything the other directories hold lies before them.
    if (thumbnail >= 8 && thumbnail < out.size() && DirectoryEnd(exif, exif.FirstDirectory(), 0) <= thumbnail) out.resize(thumbnail);
    return out;
}

}  // namespace pictorand
