// The batch run: every chosen file in turn through loading, the logo, the output
// raster and writing, with the per-file prompts, progress and the running number.
#pragma once

#include <string>
#include <vector>

#include "app/run_state.h"

namespace pictorand {

// How a run went, for callers that report it (the command line's exit status).
struct TRunSummary {
    int Written = 0;     // files written
    int Failed = 0;      // files whose load, logo or output raster failed
    int Processed = 0;   // files the run got through, written or not
    bool Ended = false;  // the run stopped before the last file
    bool Escaped = false;  // an error escaped a stage and was shown in the error box
};

class TBatchRun {
public:
    // Sources are opened by the path given for each entry; pass bare names to open them
    // relative to the current directory.
    TBatchRun(TRunHost& host, const TSettingsSource& settings);

    std::function<std::string()> OutputFolder;
    std::function<std::string()> LogoFileName;

    // Runs over a copy of files; errors that escape a stage end the run and are shown
    // through the host's error box.
    TRunSummary ResizeImage(const std::vector<std::string>& files);

    const TRunState& State() const { return state_; }

private:
    bool ProcessOne(const std::string& path, int remaining, TRunSummary& summary);

    TRunState state_;
};

}  // namespace pictorand
