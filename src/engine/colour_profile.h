// ConvertToSrgb: the pixels of a raster from its embedded ICC profile to sRGB, with
// Little CMS, perceptual intent.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "formats/common/cmyk_to_bgr.h"
#include "formats/common/source_metadata.h"
#include "graphics/bitmap.h"

namespace pictorand {

// RGB and grey profiles convert palette rasters through their palette and every other
// raster as 24 bits (32 with alpha, which is kept). Answers false, leaving the raster
// as it was, for a profile that cannot be opened or does not describe the raster's
// colours (a CMYK profile: the readers hand CMYK over already turned into RGB).
bool ConvertToSrgb(TBitmap& raster, std::span<const std::uint8_t> profile);

// A grey profile on a picture whose pixels have colour (not every one grey): such a
// profile describes other pixels than these, and is not applied.
bool GreyProfileOnColour(const TBitmap& raster, std::span<const std::uint8_t> profile);

// An RGB profile for colour given by code points (a HEIF or AVIF file's nclx), such as
// Display P3 with the sRGB curve; empty for sRGB itself, and for primaries or curves it
// has no profile for (the HDR curves PQ and HLG among them).
std::vector<std::uint8_t> CicpProfile(const TCicp& cicp);

// An RGB profile for colour given by chromaticities and an encoding exponent (a PNG's
// cHRM and gAMA); empty when Little CMS cannot build one from them.
std::vector<std::uint8_t> ChromaticitiesProfile(const TChromaticities& colour);

// The profile the source's colours are converted through: its own, or one made from its
// code points or its chromaticities; empty when it gives none.
std::vector<std::uint8_t> SourceProfile(const TSourceMetadata& metadata);

// For a CMYK profile, the conversion the readers use on CMYK pictures in its place;
// nothing for any other profile, or one that cannot be opened.
TCmykToBgr CmykToSrgb(std::span<const std::uint8_t> profile);

// For an RGB profile, the conversion the readers use on 16-bit RGB pictures in place of
// cutting them to 8 bits first; nothing for any other profile, or one that cannot be opened.
TRgb16ToBgr Rgb16ToSrgb(std::span<const std::uint8_t> profile);

// The conversion the readers use on CIELab pictures: L*a*b* (D50) to sRGB through Little
// CMS, in place of their fixed formula without the sRGB curve.
TLabToBgr LabToSrgb();

}  // namespace pictorand
