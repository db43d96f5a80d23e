// The state one batch run shares between its stages, with the host and settings they use.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/conversion_settings.h"
#include "app/run_host.h"
#include "graphics/bitmap.h"

namespace pictorand {

struct TRunState {
    TRunState(TRunHost& host, const TSettingsSource& settings) : Host(host), Settings(settings) {}

    TRunHost& Host;
    const TSettingsSource& Settings;
    // The output folder, read anew for every path that is built.
    std::function<std::string()> OutputFolder;
    // The logo file last chosen in the logo dialog (the stage reads the chooser's name).
    std::function<std::string()> LogoFileName;

    // Extension of the current source with its dot, in the path's letter case.
    std::string CurrentExt;
    // Bare file name of the current source.
    std::string CurrentFileName;
    // The path the loader opens: the bare name (relative to the current directory) in
    // the GUI, the path as given on the command line.
    std::string CurrentSourcePath;
    std::int32_t RunningNumber = 1;
    bool LoadFailed = false;
    bool ResizeFailed = false;
    bool LogoFailed = false;
    std::unique_ptr<TBitmap> SourceBitmap;
    std::unique_ptr<TBitmap> TargetBitmap;
};

}  // namespace pictorand
