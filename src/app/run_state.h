// The state one batch run shares between its stages, with the host and settings they use.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <vector>
#include <functional>
#include <memory>
#include <string>

#include "app/conversion_settings.h"
#include "app/run_host.h"
#include "graphics/bitmap.h"

namespace pictorand {

struct TRunState {
    TRunState(TRunHost& host, const TSettingsSource& settings) : Host(&host), Settings(settings) {}

    // The host the stages talk to; a file prepared ahead of its turn records its
    // messages in a host of its own.
    TRunHost* Host;
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
    // The output folder below the run's output folder (a source folder's own subfolder).
    std::string Subfolder;

    // Output bytes encoded ahead of the file's turn, for the format they were made for.
    struct TEncoded {
        OutputFormat Format;
        std::vector<std::uint8_t> Bytes;
        std::exception_ptr Failure;  // raised when the file is written, as encoding would
    };
    std::optional<TEncoded> Encoded;
};

}  // namespace pictorand
