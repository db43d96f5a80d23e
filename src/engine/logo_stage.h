// The logo stage: stamps the chosen logo, unscaled, into one corner of the source.
#pragma once

#include <optional>
#include <string>

#include "engine/conversion_settings.h"
#include "engine/run_host.h"
#include "graphics/bitmap.h"

namespace pictorand {

// Loads the logo file anew and draws it into the source with the colour of its
// bottom-left pixel left out; answers the reason after showing
// "Невозможно загрузить файл логотипа!" when the logo cannot be loaded. A logo
// extension no logo reader takes draws nothing.
std::optional<std::string> OperationWishLogotip(TBitmap& source, const std::string& logoFile, const TSettingsSource& settings, TRunHost& host);

}  // namespace pictorand
