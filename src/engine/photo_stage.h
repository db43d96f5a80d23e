// The stage between loading and the logo that readies a photo as its author saw it:
// upright, in sRGB, and with its alpha kept or flattened for the output format.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/photo_options.h"
#include "formats/common/source_metadata.h"
#include "formats/output_format.h"
#include "graphics/bitmap.h"

namespace pictorand {

// What the stage did that the writer needs to know.
struct TPhotoResult {
    // The source's profile was converted; otherwise an output may embed it.
    bool ProfileConverted = false;
    // What the user should know of the colours: a profile left unused, say.
    std::vector<std::string> Warnings;
};

TPhotoResult AdjustPhoto(TBitmap& source, const TSourceMetadata& metadata, const TPhotoOptions& options,
                         std::optional<OutputFormat> format);

// Composes a raster's alpha over a background colour, leaving a 24-bit raster.
void FlattenOnto(TBitmap& raster, TColor background);

}  // namespace pictorand
