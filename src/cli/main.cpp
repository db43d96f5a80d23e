// pictorand-cli: the batch run of the GUI from the command line.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/cli_options.h"
#include "cli/cli_sources.h"
#include "cli/terminal_host.h"
#include "engine/batch_run.h"
#include "graphics/raster_limits.h"

namespace {

constexpr int StatusDone = 0, StatusFailed = 1, StatusUsage = 2, StatusInterrupted = 130;

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

struct TFileCloser {
    void operator()(std::FILE* file) const {
        if (file && file != stdout && file != stdin) std::fclose(file);
    }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

int UsageError(const std::string& text) {
    std::fprintf(stderr, "pictorand-cli: %s\n%s", text.c_str(), pictorand::CliUsage().c_str());
    return StatusUsage;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace pictorand;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    TCliOptions options;
    try {
        options = ParseCommandLine(arguments);
    } catch (const TUsageError& error) {
        return UsageError(error.what());
    }
    if (options.ShowHelp) {
        std::fputs(CliUsage().c_str(), stdout);
        return StatusDone;
    }
    if (options.ShowVersion) {
        std::printf("pictorand-cli %s\n", std::string(ApplicationTitle).c_str());
        return StatusDone;
    }

    // Ctrl-C stops the run between files; the file being written is finished or left
    // untouched, never half-written.
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);

    if (!options.FilesFrom.empty()) {
        const TFile list(options.FilesFrom == "-" ? stdin : std::fopen(options.FilesFrom.c_str(), "rb"));
        if (!list) return UsageError("cannot read the file list " + options.FilesFrom);
        const std::vector<std::string> listed = ReadFileList(list.get(), options.NullSeparated);
        options.Files.insert(options.Files.end(), listed.begin(), listed.end());
    }
    TFile report;
    if (!options.ReportFile.empty()) {
        report.reset(options.ReportFile == "-" ? stdout : std::fopen(options.ReportFile.c_str(), "wb"));
        if (!report) return UsageError("cannot write the report " + options.ReportFile);
    }
    if (options.MaxMegapixels) SetMaxRasterPixels(*options.MaxMegapixels * 1'000'000);

    std::error_code error;
    std::filesystem::create_directories(options.OutputDir, error);
    if (error) {
        std::fprintf(stderr, "pictorand-cli: cannot create %s: %s\n", options.OutputDir.c_str(), error.message().c_str());
        return StatusFailed;
    }

    const bool interactive = isatty(STDERR_FILENO) && isatty(STDIN_FILENO) && options.FilesFrom != "-";
    const TOverwritePolicy overwrite =
        options.Overwrite == TOverwritePolicy::Ask && !interactive ? TOverwritePolicy::Never : options.Overwrite;
    TTerminalHost host(overwrite, interactive);
    host.Report = report.get();
    host.CancelRequested = [] { return interrupted != 0; };
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
    std::fprintf(stderr, "%d written, %d skipped, %d failed\n", summary.Written, summary.Skipped, summary.Failed);
    if (summary.Cancelled) return StatusInterrupted;
    const bool clean = summary.Failed == 0 && summary.NamesTaken == 0 && !summary.Escaped;
    return clean ? StatusDone : StatusFailed;
}
