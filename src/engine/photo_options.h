// TPhotoOptions: how a run treats what today's photos carry besides their pixels. The
// values a default object holds leave every picture as the classic run made it; the
// front ends start from the option table's recommended values.
#pragma once

#include "graphics/color.h"

namespace pictorand {

struct TPhotoOptions {
    // Turn or mirror the source as its EXIF orientation says, before the logo.
    bool AutoOrient = false;
    // Convert a source with an embedded ICC profile to sRGB.
    bool ConvertToSrgb = false;
    // Keep the source's alpha; formats without alpha get it flattened onto Background.
    bool Transparency = false;
    // Carry EXIF, XMP and IPTC on into JPEG output and EXIF into PNG output.
    bool KeepMetadata = false;
    TColor Background = clWhite;
    // Embed the source's profile in outputs whose pixels keep its colours.
    bool CarryProfile = false;

    friend bool operator==(const TPhotoOptions&, const TPhotoOptions&) = default;
};

}  // namespace pictorand
