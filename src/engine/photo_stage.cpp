#include "engine/photo_stage.h"

#include "engine/colour_profile.h"
#include "engine/orientation.h"
#include "engine/text_catalogue.h"

namespace pictorand {

void FlattenOnto(TBitmap& raster, TColor background) {
    if (!raster.HasAlpha()) return;
    const int back[3] = {static_cast<int>(background >> 16 & 255), static_cast<int>(background >> 8 & 255),
                         static_cast<int>(background & 255)};  // blue, green, red
    TBitmap flat;
    flat.SetPixelFormat(TPixelFormat::pf24bit);
    flat.SetSize(raster.Width(), raster.Height());
    for (int y = 0; y < raster.Height(); ++y) {
        const std::uint8_t* in = raster.ScanLine(y);
        std::uint8_t* out = flat.ScanLine(y);
        for (int x = 0; x < raster.Width(); ++x, in += 4, out += 3) {
            const int a = in[3];
            for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>((in[k] * a + back[k] * (255 - a) + 127) / 255);
        }
    }
    raster = std::move(flat);
}

// A picture with a transparent colour (a GIF's transparent index, a PNG's tRNS) gets
// alpha: none where that colour is, full elsewhere.
void KeyToAlpha(TBitmap& raster) {
    if (!raster.Transparent() || raster.HasAlpha()) return;
    const TColor key = raster.TransparentColor() & 0xFFFFFF;
    raster.SetPixelFormat(TPixelFormat::pf32bit);
    raster.SetHasAlpha(true);
    for (int y = 0; y < raster.Height(); ++y) {
        std::uint8_t* p = raster.ScanLine(y);
        for (int x = 0; x < raster.Width(); ++x, p += 4) p[3] = RGBColor(p[2], p[1], p[0]) == key ? 0 : 255;
    }
}

TPhotoResult AdjustPhoto(TBitmap& source, const TSourceMetadata& metadata, const TPhotoOptions& options,
                         std::optional<OutputFormat> format) {
    TPhotoResult result;
    if (!options.Transparency) source.SetHasAlpha(false);
    else KeyToAlpha(source);
    if (options.AutoOrient) TurnUpright(source, metadata.Orientation);
    if (options.ConvertToSrgb) {
        const std::vector<std::uint8_t> profile = SourceProfile(metadata);
        if (GreyProfileOnColour(source, profile)) result.Warnings.push_back(Say(TText::GreyProfileOnColour));
        else result.ProfileConverted = ConvertToSrgb(source, profile);
    }
    // The background is an sRGB colour, so the colours are converted first.
    if (options.Transparency && source.HasAlpha() && !(format && (*format)->Carries.Alpha)) FlattenOnto(source, options.Background);
    return result;
}

}  // namespace pictorand
