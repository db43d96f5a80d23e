// pictorand-cli: the batch run of the GUI from the command line.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/cli_options.h"
#include "cli/cli_sources.h"
#include "engine/source_folders.h"
#include "cli/report_path.h"
#include "cli/stop_signals.h"
#include "cli/terminal_host.h"
#include "engine/batch_run.h"
#include "engine/text_catalogue.h"
#include "graphics/folder_handle.h"
#include "graphics/raster_limits.h"

namespace {

constexpr int StatusDone = 0, StatusFailed = 1, StatusUsage = 2, StatusSignalled = 128;

// How long a run may take to stop between files before the process ends without it.
constexpr std::chrono::milliseconds StopGrace{500};

struct TFileCloser {
    void operator()(std::FILE* file) const {
        if (file && file != stdout && file != stdin) std::fclose(file);
    }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

int UsageError(const std::string& text) {
    std::fprintf(stderr, "pictorand-cli: %s\n%s\n", pictorand::EscapedForLine(text).c_str(), pictorand::Say(pictorand::TText::TryHelp).c_str());
    return StatusUsage;
}

int Failure(const std::string& text) {
    std::fprintf(stderr, "pictorand-cli: %s\n", pictorand::EscapedForLine(text).c_str());
    return StatusFailed;
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
    // Filled in below; the watchdog reads them only once the run has started.
    std::vector<TSourceEntry> sources;
    TTerminalHost* runningHost = nullptr;
    TStopSignals stops(StopGrace, [&](int signal) {
        runningHost->Abandon(sources, Say(TText::Interrupted));
        RemoveUnfinishedFiles();
        std::_Exit(StatusSignalled + signal);
    });

    if (!options.FilesFrom.empty()) {
        const TFile list(options.FilesFrom == "-" ? stdin : std::fopen(options.FilesFrom.c_str(), "rb"));
        if (!list) return Failure(Say(TText::CannotReadList, {options.FilesFrom, std::strerror(errno)}));
        int error = 0;
        const std::vector<std::string> listed = ReadFileList(list.get(), options.NullSeparated, error);
        // A stop signal while the list is read ends the list; the run then reports its sources.
        if (error != 0 && TStopSignals::Received() == 0) return Failure(Say(TText::CannotReadList, {options.FilesFrom, std::strerror(error)}));
        options.Files.insert(options.Files.end(), listed.begin(), listed.end());
    }

    // A folder that cannot be made is said here; the run then fails every source with it.
    std::error_code error;
    std::filesystem::create_directories(options.OutputDir, error);
    if (error) Failure(Say(TText::CannotCreateFolder, {options.OutputDir, error.message()}));

    sources = ExpandSources(options.Files, options.Recursive, options.OutputDir);
    if (sources.empty()) {
        Failure(Say(TText::NoSources));
        std::fprintf(stderr, "%s\n", TTerminalHost(TOverwritePolicy::Never, false).Summary().c_str());
        return StatusFailed;
    }
    TFile report;
    if (!options.ReportFile.empty()) {
        if (const std::string refused = RefusedReportPath(options.ReportFile, sources); !refused.empty()) return UsageError(refused);
        report.reset(options.ReportFile == "-" ? stdout : std::fopen(options.ReportFile.c_str(), "wb"));
        if (!report) return Failure(Say(TText::CannotWriteReport, {options.ReportFile, std::strerror(errno)}));
    }

    const bool interactive = isatty(STDERR_FILENO) && isatty(STDIN_FILENO) && options.FilesFrom != "-";
    const TOverwritePolicy overwrite =
        options.Overwrite == TOverwritePolicy::Ask && !interactive ? TOverwritePolicy::Never : options.Overwrite;
    TTerminalHost host(overwrite, interactive);
    host.Report = report.get();
    host.CancelRequested = [] { return TStopSignals::Received() != 0; };
    runningHost = &host;
    TFixedSettings settings(options.Settings);
    TBatchRun run(host, settings);
    const std::string outputDir = options.OutputDir;
    const std::string logo = options.LogoFile;
    run.OutputFolder = [outputDir] { return outputDir; };
    run.LogoFileName = [logo] { return logo; };
    if (options.MaxMegapixels) run.MaxPixels = *options.MaxMegapixels * 1'000'000;
    if (options.MemoryBudgetMegabytes) run.MemoryBudget = *options.MemoryBudgetMegabytes << 20;
    const int jobs = options.Jobs > 0 ? options.Jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    stops.RunStarted();
    const TRunSummary summary = run.ResizeImage(sources, jobs);
    stops.RunEnded();
    host.Finish();
    bool reportFailed = !host.ReportError().empty();
    if (report && !reportFailed && (std::fflush(report.get()) != 0 || std::ferror(report.get()))) {
        reportFailed = true;
        Failure(Say(TText::CannotWriteReport, {options.ReportFile, std::strerror(errno)}));
    } else if (reportFailed) {
        Failure(Say(TText::CannotWriteReport, {options.ReportFile, host.ReportError()}));
    }
    std::fprintf(stderr, "%s\n", host.Summary().c_str());
    if (summary.Cancelled) return StatusSignalled + (TStopSignals::Received() != 0 ? TStopSignals::Received() : SIGINT);
    const bool clean = summary.Failed == 0 && summary.NamesTaken == 0 && !summary.Escaped && !reportFailed;
    return clean ? StatusDone : StatusFailed;
}
