#include "engine/logo_stage.h"

#include <memory>

#include "engine/app_messages.h"
#include "engine/file_names.h"
#include "formats/format_table.h"

namespace pictorand {

namespace {

// Loads the logo; answers false when no logo reader takes its extension.
bool LoadLogo(const std::string& fileName, TBitmap& logo) {
    const TFormatRow* row = FindLogoFormat(ExtractFileExt(fileName));
    if (!row) return false;
    if (row->Load == TLoadKind::Bitmap) {
        logo.LoadFromFile(fileName);
        return true;
    }
    const std::unique_ptr<TGraphic> image = row->CreateReader();
    image->LoadFromFile(fileName);
    logo.Assign(*image);
    return true;
}

}  // namespace

std::optional<std::string> OperationWishLogotip(TBitmap& source, const std::string& logoFile, const TSettingsSource& settings,
                                                TRunHost& host) {
    TBitmap logo;
    try {
        if (!LoadLogo(logoFile, logo)) return std::nullopt;
    } catch (const std::exception& error) {
        host.ShowMessage(messages::CannotLoadLogo, error.what());
        return "cannot load the logo " + logoFile + ": " + error.what();
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
    source.Draw(x, y, logo);
    return std::nullopt;
}

}  // namespace pictorand
