#include "app/logo_stage.h"

#include <array>
#include <memory>
#include <string>

#include "app/app_messages.h"
#include "app/file_names.h"
#include "graphics/exceptions.h"
#include "readers/pcx_graphic.h"
#include "readers/png_graphic.h"
#include "readers/psd_graphic.h"
#include "readers/psp_graphic.h"

namespace pictorand {

namespace {

template <class T>
std::unique_ptr<TGraphic> Make() {
    return std::make_unique<T>();
}

// Readers for logo files; BMP files are loaded straight into the logo raster.
struct TLogoReader {
    std::string_view Extension;
    std::unique_ptr<TGraphic> (*Create)();  // null for BMP
};

const std::array<TLogoReader, 6> LogoReaders = {{
    {".PSD", &Make<TPSDGraphic>},
    {".PDD", &Make<TPSDGraphic>},
    {".PSP", &Make<TPSPGraphic>},
    {".PNG", &Make<TPNGGraphic>},
    {".PCX", &Make<TPCXGraphic>},
    {".BMP", nullptr},
}};

// Loads the logo; answers false when the extension is not one of the table's.
bool LoadLogo(const std::string& fileName, TBitmap& logo) {
    const std::string extension = UpperCaseAscii(ExtractFileExt(fileName));
    for (const TLogoReader& reader : LogoReaders) {
        if (reader.Extension != extension) continue;
        if (!reader.Create) {
            logo.LoadFromFile(fileName);
            return true;
        }
        const std::unique_ptr<TGraphic> image = reader.Create();
        image->LoadFromFile(fileName);
        logo.Assign(*image);
        return true;
    }
    return false;
}

}  // namespace

void OperationWishLogotip(TRunState& state) {
    TBitmap logo;
    try {
        if (!LoadLogo(state.LogoFileName ? state.LogoFileName() : std::string(), logo)) return;
    } catch (const std::exception& error) {
        state.LogoFailed = true;
        state.Host->ShowMessage(messages::CannotLoadLogo, error.what());
        return;
    }
    if (logo.Empty()) return;
    // Both offsets use the logo's longer side, as users of the corner placement expect.
    const int side = logo.Height() > logo.Width() ? logo.Height() : logo.Width();
    TBitmap& source = *state.SourceBitmap;
    const int w = source.Width(), h = source.Height();
    int x = 0, y = 0;
    switch (state.Settings.Current().LogoPosition.value_or(LogoCorner::TopLeft)) {
        case LogoCorner::TopLeft: break;
        case LogoCorner::TopRight: x = w - side; break;
        case LogoCorner::BottomLeft: y = h - side; break;
        case LogoCorner::BottomRight: x = w - side; y = h - side; break;
    }
    logo.SetTransparentMode(TTransparentMode::Auto);
    logo.SetTransparent(true);
    source.Draw(x, y, logo);
}

}  // namespace pictorand
