#include "engine/logo_stage.h"

#include <algorithm>

#include "engine/text_catalogue.h"
#include "engine/file_names.h"
#include "engine/source_loader.h"
#include "formats/format_table.h"

namespace pictorand {

namespace {

// Loads the logo; answers false when no logo reader takes its extension.
bool LoadLogo(const std::string& fileName, TBitmap& logo) {
    const TFormatDescriptor* format = FindLogoFormat(ExtractFileExt(fileName));
    if (!format) return false;
    logo = format->Decode(ReadWholeFile(fileName), {}).Raster;
    return true;
}

// Draws the logo with (x, y) its top-left corner where the logo or the picture has alpha:
// the logo's transparent colour is left out as ever, its alpha blends it over the
// picture, and the picture's alpha under it grows by the logo's cover.
void StampBlending(TBitmap& canvas, const TBitmap& logo, int x0, int y0) {
    if (canvas.PixelFormat() != TPixelFormat::pf32bit) canvas.SetPixelFormat(TPixelFormat::pf24bit);
    const bool canvasAlpha = canvas.HasAlpha();
    const std::size_t step = canvas.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3;
    const TColor key = logo.TransparentColor();
    for (int y = std::max(0, -y0); y < logo.Height() && y0 + y < canvas.Height(); ++y) {
        const std::uint8_t* alphaRow = logo.HasAlpha() ? logo.ScanLine(y) : nullptr;
        std::uint8_t* out = canvas.ScanLine(y0 + y);
        for (int x = std::max(0, -x0); x < logo.Width() && x0 + x < canvas.Width(); ++x) {
            const TColor colour = logo.GetPixel(x, y);
            if (colour == key) continue;
            const int a = alphaRow ? alphaRow[4 * x + 3] : 255;
            std::uint8_t* pixel = out + static_cast<std::size_t>(x0 + x) * step;
            const int logoBgr[3] = {static_cast<int>(colour >> 16 & 255), static_cast<int>(colour >> 8 & 255), static_cast<int>(colour & 255)};
            const int below = canvasAlpha ? pixel[3] : 255;
            // Straight colours: the logo over what lies below, both weighted by their cover.
            const int cover = a * 255 + below * (255 - a);  // the new alpha, times 255
            for (int k = 0; k < 3; ++k) {
                pixel[k] = static_cast<std::uint8_t>(cover == 0 ? 0 : (logoBgr[k] * a * 255 + pixel[k] * below * (255 - a) + cover / 2) / cover);
            }
            if (canvasAlpha) pixel[3] = static_cast<std::uint8_t>((cover + 127) / 255);
        }
    }
}

}  // namespace

std::optional<std::string> OperationWishLogotip(TBitmap& source, const std::string& logoFile, const TSettingsSource& settings,
                                                TRunHost& host) {
    TBitmap logo;
    try {
        if (!LoadLogo(logoFile, logo)) return std::nullopt;
    } catch (const std::exception& error) {
        host.ShowMessage(Say(TText::CannotLoadLogo), error.what());
        return Say(TText::CannotLoadLogoFile, {logoFile, error.what()});
    }
    if (logo.Empty()) return std::nullopt;
    // Both offsets use the logo's longer side, as users of the corner placement expect.
    const int side = logo.Height() > logo.Width() ? logo.Height() : logo.Width();
    const int w = source.Width(), h = source.Height();
    int x = 0, y = 0;
    switch (settings.Current().LogoPosition.value_or(LogoCorner::TopLeft)) {
        case LogoCorner::TopLeft: break;
        case LogoCorner::TopRight: x = w - side; break;
        case LogoCorner::BottomLeft: y = h - side; break;
        case LogoCorner::BottomRight: x = w - side; y = h - side; break;
    }
    logo.SetTransparentMode(TTransparentMode::Auto);
    logo.SetTransparent(true);
    if (settings.Current().Photo.Transparency && (source.HasAlpha() || logo.HasAlpha())) StampBlending(source, logo, x, y);
    else source.Draw(x, y, logo);
    return std::nullopt;
}

}  // namespace pictorand
