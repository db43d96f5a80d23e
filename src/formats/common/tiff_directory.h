// The TIFF structure that TIFF files and EXIF blocks share: a header naming the byte
// order, and directories of 12-byte entries whose values sit in the entry or at an
// offset. Every read is bounded by the bytes; what lies outside reads as nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pictorand {

// Bytes of one value of an entry type; 0 for a type this program does not know.
std::size_t TiffTypeSize(std::uint32_t type);

struct TTiffEntry {
    std::uint16_t Tag = 0;
    std::uint16_t Type = 0;
    std::uint32_t Count = 0;
    // The value field as a number: a single SHORT from its first two bytes, values of
    // fewer than four bytes from its first byte, anything else (an offset) whole.
    std::uint32_t Value = 0;
    std::size_t ValueAt = 0;  // where the value field lies
    std::size_t At = 0;       // where the entry lies
};

class TTiffStructure {
public:
    explicit TTiffStructure(std::span<const std::uint8_t> bytes);

    // "II" or "MM" followed by 42.
    bool Valid() const { return valid_; }
    bool BigEndian() const { return big_; }
    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    // Numbers in the structure's byte order; 0 where the bytes end.
    std::uint32_t U16(std::size_t at) const;
    std::uint32_t U32(std::size_t at) const;
    std::uint32_t FirstDirectory() const { return U32(4); }

    // The values of an entry as numbers (rationals divided out); none when they do not
    // lie within the bytes or the type is unknown.
    std::vector<double> Values(const TTiffEntry& entry) const;
    // The bytes of an entry of one-byte values; empty when they do not lie within.
    std::span<const std::uint8_t> ByteValues(const TTiffEntry& entry) const;

private:
    std::span<const std::uint8_t> bytes_;
    bool valid_ = false;
    bool big_ = false;
};

class TTiffDirectory {
public:
    // The directory at offset, when its entries lie within the bytes (and, if asked, the
    // link to the next directory after them) and number at most maxEntries.
    static std::optional<TTiffDirectory> Read(const TTiffStructure& tiff, std::size_t offset, std::uint32_t maxEntries,
                                              bool withLink);

    // The entries in the order the file lists them.
    const std::vector<TTiffEntry>& Entries() const { return entries_; }
    // The entry of a tag, or null.
    const TTiffEntry* Find(std::uint16_t tag) const;
    // Where the link to the next directory lies.
    std::size_t LinkAt() const { return linkAt_; }

private:
    std::vector<TTiffEntry> entries_;
    std::vector<TTiffEntry> byTag_;
    std::size_t linkAt_ = 0;
};

}  // namespace pictorand
