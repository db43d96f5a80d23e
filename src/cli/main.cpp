// pictorand-cli: the batch run of the GUI from the command line.
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <thread>

#include "engine/batch_run.h"
#include "cli/cli_options.h"
#include "cli/cli_sources.h"
#include "cli/terminal_host.h"
#include "graphics/raster_limits.h"

int main(int argc, char* argv[]) {
    using namespace pictorand;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    TCliOptions options;
    try {
        options = ParseCommandLine(arguments);
    } catch (const TUsageError& error) {
        std::fprintf(stderr, "pictorand-cli: %s\n%s", error.what(), CliUsage().c_str());
        return 2;
    }
    if (options.ShowHelp) {
        std::fputs(CliUsage().c_str(), stdout);
        return 0;
    }
    if (options.ShowVersion) {
        std::printf("pictorand-cli %s\n", std::string(ApplicationTitle).c_str());
        return 0;
    }

    if (options.MaxMegapixels) SetMaxRasterPixels(*options.MaxMegapixels * 1'000'000);

    std::error_code error;
    std::filesystem::create_directories(options.OutputDir, error);
    if (error) {
        std::fprintf(stderr, "pictorand-cli: cannot create %s: %s\n", options.OutputDir.c_str(), error.message().c_str());
        return 1;
    }

    const bool interactive = isatty(STDERR_FILENO) && isatty(STDIN_FILENO);
    const TOverwritePolicy overwrite =
        options.Overwrite == TOverwritePolicy::Ask && !interactive ? TOverwritePolicy::Never : options.Overwrite;
    TTerminalHost host(overwrite, interactive);
    TFixedSettings settings(options.Settings);
    TBatchRun run(host, settings);
    const std::string outputDir = options.OutputDir;
    const std::string logo = options.LogoFile;
    run.OutputFolder = [outputDir] { return outputDir; };
    run.LogoFileName = [logo] { return logo; };
    const int jobs = options.Jobs > 0 ? options.Jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const std::vector<TSourceEntry> sources = ExpandSources(options.Files, options.Recursive);
    // Mirrored source folders get their folders below the output folder.
    for (const TSourceEntry& source : sources) {
        if (!source.Subfolder.empty()) std::filesystem::create_directories(std::filesystem::path(outputDir) / source.Subfolder, error);
    }
    const TRunSummary summary = run.ResizeImage(sources, jobs);
    host.Finish();
    const bool allWritten = summary.Failed == 0 && !summary.Ended && !summary.Escaped;
    return allWritten ? 0 : 1;
}
