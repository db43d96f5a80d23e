// The command line of pictorand-cli, parsed into settings and a list of files.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/conversion_settings.h"

namespace pictorand {

enum class TOverwritePolicy { Ask, Always, Never };

struct TCliOptions {
    ConversionSettings Settings;
    std::string OutputDir;
    std::vector<std::string> Files;
    TOverwritePolicy Overwrite = TOverwritePolicy::Never;
    bool OverwriteGiven = false;
    std::string LogoFile;
    // Raises (or lowers) the largest raster a file may ask for, in megapixels.
    std::optional<std::int64_t> MaxMegapixels;
    // The memory the files prepared ahead may take together, in megabytes.
    std::optional<std::int64_t> MemoryBudgetMegabytes;
    // Files prepared at once; 0 means one per processor core.
    int Jobs = 0;
    bool Recursive = false;
    // A file of source paths, one a line ("-" for standard input), NUL-separated with --null.
    std::string FilesFrom;
    bool NullSeparated = false;
    // Where the JSON Lines report goes ("-" for standard output); none when empty.
    std::string ReportFile;
    bool ShowHelp = false;
    bool ShowVersion = false;
};

// Raised for a command line that cannot be used; the text says why.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments (without the program name). A --settings file is applied first,
// whatever its position, so that the other options override it.
TCliOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The help text.
std::string CliUsage();

}  // namespace pictorand
