// The batch run: every chosen file in turn through loading, the logo, the output
// raster and writing, with the per-file prompts, progress and the running number.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/prepared_file.h"
#include "engine/run_context.h"
#include "engine/run_host.h"
#include "engine/settings_snapshot.h"

namespace pictorand {

// How a run went, for callers that report it (the command line's exit status).
struct TRunSummary {
    int Written = 0;         // sources written
    int Skipped = 0;         // sources whose output was kept or whose name another source took
    int Failed = 0;          // sources that failed or that the run did not reach
    int Ignored = 0;         // files of source folders that hold no picture
    int Warnings = 0;        // things a user should know of sources that were read
    int NamesTaken = 0;      // of the skipped, those whose name another source of the run took
    int Reported = 0;        // sources whose outcome was reported
    int Processed = 0;       // files the run got through, written or not
    bool Ended = false;      // the run stopped before the last file
    bool Escaped = false;    // an error escaped a stage and was shown in the error box
    bool Cancelled = false;  // the user stopped the run
};

// Half the machine's memory, and no less than 512 MB.
std::int64_t DefaultMemoryBudget();

// The naming rule's text when it cannot be used, or null: a word or fixed name that
// holds "/" or ".." would put files outside the output folder.
const std::string* NameTextLeavingFolder(const ConversionSettings& settings);
// Why the naming rule's text cannot be used, for the command line; empty when it can.
std::string RefusedNameText(const ConversionSettings& settings);

class TBatchRun {
public:
    TBatchRun(TRunHost& host, const TSettingsSource& settings);

    // The output folder, read anew for every path that is built.
    std::function<std::string()> OutputFolder;
    // The logo file last chosen in the logo dialog, read for every file the logo is stamped on.
    std::function<std::string()> LogoFileName;
    // The most pixels a picture of the run may have, in its source or its output.
    std::int64_t MaxPixels = DefaultMaxRasterPixels;
    // The memory the files prepared ahead may take together, by their estimates; the file
    // whose turn it is may always be prepared, however large.
    std::int64_t MemoryBudget = DefaultMemoryBudget();

    // Runs over a copy of the files, opened by the paths given (bare names open relative
    // to the current directory); errors that escape a stage end the run and are shown
    // through the host's error box.
    TRunSummary ResizeImage(const std::vector<std::string>& files);
    // With jobs above 1, files are loaded, stamped, resized and encoded ahead on that
    // many threads while messages, prompts, names and writes stay in list order, so the
    // outcome is the one of a single thread. A single file is resampled on that many
    // threads instead.
    TRunSummary ResizeImage(const std::vector<TSourceEntry>& entries, int jobs = 1);

    // What the run would make of one source, written nowhere and asking nothing: the
    // target picture with its size, the reason when a stage fails, and, when the run
    // encodes, the bytes it would write. Safe on another thread while the settings it was
    // given and the logo function stay unchanged.
    TPreparedFile Preview(const TSourceEntry& entry) const;

    // The running number the next file would get.
    std::int32_t RunningNumber() const { return runningNumber_; }

private:
    TRunContext Context() const;
    // The stages before writing, in a row; ahead of its turn the file is also encoded, with
    // the settings and logo file of the snapshot instead of the live ones, and decoded only
    // once admit has let its estimated memory in.
    TPreparedFile Prepare(const TSourceEntry& entry, TRunHost& host, const TSettingsSnapshot* ahead = nullptr,
                          const std::function<void(std::int64_t)>& admit = {}) const;
    // Prompts for a failed file, or writing, and the file's outcome; answers false when
    // the run ends with it.
    bool Finish(TPreparedFile& file, int remaining, TRunSummary& summary);
    void Report(TFileOutcome outcome, TRunSummary& summary);
    // Every source the run did not reach fails with the reason.
    void ReportUnconverted(const std::vector<TSourceEntry>& entries, TRunSummary& summary, std::string_view why);
    // Whether the user stopped the run before the next file.
    bool StopRequested(TRunSummary& summary);
    // An error that escaped a stage ends the run in the host's error box.
    void Escape(TRunSummary& summary, const std::exception& error);
    void RunInOrder(const std::vector<TSourceEntry>& entries, TRunSummary& summary);
    void RunAhead(const std::vector<TSourceEntry>& entries, int jobs, TRunSummary& summary);
    // For each file, the last earlier file whose output would replace it, or -1.
    std::vector<int> EarlierOutputsReplacing(const std::vector<TSourceEntry>& entries) const;
    // Counts the file done; a picture's file also moves the running number on.
    void AfterFile(TRunSummary& summary, int count, const TPreparedFile& file);
    // A file whose output could not be written: its message and outcome, then whether
    // the run goes on, which it does unless the output folder itself is lost.
    bool WriteFailed(TPreparedFile& file, TFileOutcome& outcome, const std::exception& error, int remaining, TRunSummary& summary);
    // Whether files can still be written into the output folder.
    bool OutputFolderUsable() const;

    TRunHost& host_;
    const TSettingsSource& settings_;
    std::int32_t runningNumber_ = 1;
    // Threads the JPEG decoder and the resampler may use for one picture.
    int pictureThreads_ = 1;
    // The output paths this run has written, which no later source may replace.
    std::set<std::string> writtenThisRun_;
    // Why the sources after an early end were not converted, when the run says more
    // than that it ended.
    std::string endReason_;
};

}  // namespace pictorand
