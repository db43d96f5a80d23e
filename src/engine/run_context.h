// What the stages of a file take from their run besides the host: the settings, read
// at the moment of use, the output folder and the logo file.
#pragma once

#include <functional>
#include <string>

#include "engine/conversion_settings.h"

namespace pictorand {

struct TRunContext {
    const TSettingsSource& Settings;
    // The output folder, read anew for every path that is built.
    std::function<std::string()> OutputFolder;
    // The logo file last chosen in the logo dialog (the stage reads the chooser's name).
    std::function<std::string()> LogoFileName;
};

}  // namespace pictorand
