// What the writing stage takes from its run besides the host: the settings, read at
// the moment of use, and the output folder.
#pragma once

#include <functional>
#include <string>

#include "engine/conversion_settings.h"

namespace pictorand {

struct TRunContext {
    const TSettingsSource& Settings;
    // The output folder, read anew for every path that is built.
    std::function<std::string()> OutputFolder;
    // Threads one file's encoder may use.
    int Threads = 1;
};

}  // namespace pictorand
