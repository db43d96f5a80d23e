// Reading and adjusting an EXIF block: a TIFF structure whose first directory (IFD0)
// holds the orientation and points to the EXIF, GPS and thumbnail directories.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pictorand {

// The orientation tag of IFD0, 1 to 8; 1 when missing, damaged or out of range.
int ExifOrientation(std::span<const std::uint8_t> exif);

// The bytes of an IFD0 tag of byte-sized values (a TIFF file's own tags included, as a
// TIFF file is such a structure); empty when missing or outside the block.
std::span<const std::uint8_t> Ifd0TagBytes(std::span<const std::uint8_t> exif, std::uint16_t tag);

// A copy for an output: without its thumbnail (the link to the thumbnail directory
// cleared, and the block cut before the thumbnail where nothing else lies behind it),
// and with orientation 1 when the output's pixels were turned upright. Empty when the
// block is not a TIFF structure.
// What the output's pixels are, for the tags that describe them.
struct TExifUpdate {
    bool TurnedUpright = false;  // orientation 1
    bool InSrgb = false;         // ColorSpace sRGB and interoperability "R98"
    int Width = 0, Height = 0;   // ExifImageWidth and ExifImageHeight, when not 0
};
std::vector<std::uint8_t> ExifForOutput(std::span<const std::uint8_t> exif, const TExifUpdate& update);

// An EXIF block for a TIFF file's own descriptive tags (description, camera make and
// model, software, date, artist, copyright, and the orientation), which a TIFF keeps in
// its first directory rather than in an EXIF block, with its Exif and GPS directories
// (less the maker's note); empty when it has none of them. The block stays small enough
// for one JPEG APP1 segment.
std::vector<std::uint8_t> ExifFromTiffTags(std::span<const std::uint8_t> tiff);

}  // namespace pictorand
