// The command line's run host: messages on stderr, questions answered by policy (or
// asked on the terminal), and a progress line on a terminal only.
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "engine/prepared_file.h"
#include "engine/run_host.h"

namespace pictorand {

class TTerminalHost : public TRunHost {
public:
    TTerminalHost(TOverwritePolicy overwrite, bool interactive, std::FILE* input = stdin, std::FILE* output = stderr)
        : overwrite_(overwrite), interactive_(interactive), input_(input), output_(output) {}

    void ShowMessage(std::string_view text, std::string_view detail) override;
    bool AskYesNo(TQuestion question, std::string_view text) override;
    void ShowError(std::string_view text) override;
    void ProcessMessages() override {}
    void SetProgress(int percent) override;
    bool AskReplace(std::string_view path, std::string_view text) override;
    // One line on stderr ("written: SOURCE -> OUTPUT", "skipped: SOURCE: why",
    // "failed: SOURCE: why"; none for an ignored file) and, with a report, one JSON line.
    // Control characters of names are escaped so that a line stays one line.
    void ReportOutcome(const TFileOutcome& outcome) override;
    bool Cancelled() override { return CancelRequested && CancelRequested(); }

    // Where the JSON Lines report goes; none when null.
    std::FILE* Report = nullptr;
    // Whether the user asked the run to stop (Ctrl-C).
    std::function<bool()> CancelRequested;

    // Ends the progress line so that later output starts on a line of its own.
    void Finish();
    // "N written, M skipped, K failed", with ", L ignored" when there are ignored files.
    std::string Summary() const;
    // Ends the run's reporting from another thread while the run is still busy: every
    // source not reported yet fails with why (an ignored one stays ignored), the summary
    // line follows, and nothing the run reports later is printed.
    void Abandon(const std::vector<TSourceEntry>& sources, std::string_view why);
    // Why the report could not be written (a full disk, a closed pipe), or empty.
    const std::string& ReportError() const { return reportError_; }

private:
    void BreakProgressLine();
    bool Ask(std::string_view text);
    void ReportLocked(const TFileOutcome& outcome);

    TOverwritePolicy overwrite_;
    bool interactive_;
    std::FILE* input_;
    std::FILE* output_;
    bool progressShown_ = false;
    std::string reportError_;
    // Output comes from the run's thread and, when a stop takes over, from another.
    mutable std::mutex mutex_;
    bool abandoned_ = false;
    std::size_t reported_ = 0;
    int written_ = 0, skipped_ = 0, failed_ = 0, ignored_ = 0, warnings_ = 0;
};

// The text with its control characters written as C escapes (\n, \t, \x1b, ...).
std::string EscapedForLine(std::string_view text);

}  // namespace pictorand
