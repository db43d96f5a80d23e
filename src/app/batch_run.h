// The batch run: every chosen file in turn through loading, the logo, the output
// raster and writing, with the per-file prompts, progress and the running number.
#pragma once

#include <string>
#include <vector>

#include "app/run_state.h"

namespace pictorand {

// How a run went, for callers that report it (the command line's exit status).
struct TRunSummary {
    int Written = 0;       // files written
    int Failed = 0;        // files whose load, logo or output raster failed
    int Processed = 0;     // files the run got through, written or not
    bool Ended = false;    // the run stopped before the last file
    bool Escaped = false;  // an error escaped a stage and was shown in the error box
};

// One source and the folder below the output folder its output goes to.
struct TSourceEntry {
    std::string Path;
    std::string Subfolder;
};

class TBatchRun {
public:
    TBatchRun(TRunHost& host, const TSettingsSource& settings);

    std::function<std::string()> OutputFolder;
    std::function<std::string()> LogoFileName;

    // Runs over a copy of the files, opened by the paths given (bare names open relative
    // to the current directory); errors that escape a stage end the run and are shown
    // through the host's error box.
    TRunSummary ResizeImage(const std::vector<std::string>& files);
    // With jobs above 1, files are loaded, stamped, resized and encoded ahead on that
    // many threads while messages, prompts, names and writes stay in list order, so the
    // outcome is the one of a single thread.
    TRunSummary ResizeImage(const std::vector<TSourceEntry>& entries, int jobs = 1);

    const TRunState& State() const { return state_; }

private:
    // Loading, logo and output raster (and, ahead of turn, encoding) of one file.
    void Prepare(TRunState& state, const TSourceEntry& entry, bool encode) const;
    // Flags, prompts and writing; answers false when the run ends with this file.
    bool Finish(TRunState& state, int remaining, TRunSummary& summary);
    TRunSummary RunInOrder(const std::vector<TSourceEntry>& entries);
    TRunSummary RunAhead(const std::vector<TSourceEntry>& entries, int jobs);
    void AfterFile(TRunSummary& summary, int count);

    TRunState state_;
};

}  // namespace pictorand
