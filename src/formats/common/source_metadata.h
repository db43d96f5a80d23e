// What a source file says about its picture besides the pixels: how it is to be turned
// for viewing, its colour profile, and the metadata blocks an output may carry on.
#pragma once

#include <cstdint>
#include <vector>

namespace pictorand {

struct TSourceMetadata {
    // The EXIF orientation, 1 to 8; 1 when the file gives none.
    int Orientation = 1;
    std::vector<std::uint8_t> IccProfile;
    // The EXIF block as a TIFF structure (from its "II" or "MM" header on).
    std::vector<std::uint8_t> Exif;
    std::vector<std::uint8_t> Xmp;   // the XMP packet
    std::vector<std::uint8_t> Iptc;  // the Photoshop resource block holding IPTC data
};

}  // namespace pictorand
