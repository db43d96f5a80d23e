// What a source file says about its picture besides the pixels: how it is to be turned
// for viewing, its colour profile, and the metadata blocks an output may carry on.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace pictorand {

// Colour described by code points (ISO/IEC 23091-2) instead of a profile, as HEIF and
// AVIF files may describe it: the primaries and the transfer curve of the RGB values.
struct TCicp {
    int Primaries = 2;  // 1 BT.709/sRGB, 9 BT.2020, 11 DCI-P3, 12 Display P3; 2 unspecified
    int Transfer = 2;   // 13 sRGB, 1 and 6 BT.709, 8 linear, 16 PQ, 18 HLG; 2 unspecified
    friend bool operator==(const TCicp&, const TCicp&) = default;
};

// Colour given by the chromaticities of the white point and the primaries, with the
// exponent the values were encoded with (a PNG's cHRM and gAMA: 0.45455 for a 2.2 curve).
struct TChromaticities {
    double White[2], Red[2], Green[2], Blue[2];
    double Gamma;
    friend bool operator==(const TChromaticities&, const TChromaticities&) = default;
};

struct TSourceMetadata {
    // The EXIF orientation, 1 to 8; 1 when the file gives none.
    int Orientation = 1;
    std::vector<std::uint8_t> IccProfile;
    // The colour's code points, for a file that gives them without a profile.
    std::optional<TCicp> Cicp;
    // The chromaticities and curve, for a file that gives them without a profile.
    std::optional<TChromaticities> Chromaticities;
    // The EXIF block as a TIFF structure (from its "II" or "MM" header on).
    std::vector<std::uint8_t> Exif;
    std::vector<std::uint8_t> Xmp;   // the XMP packet
    std::vector<std::uint8_t> Iptc;  // the Photoshop resource block holding IPTC data
};

}  // namespace pictorand
