// The command line's run host: messages on stderr, questions answered by policy (or
// asked on the terminal), and a progress line on a terminal only.
#pragma once

#include <cstdio>
#include <functional>

#include "engine/run_host.h"
#include "cli/cli_options.h"

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
    // "failed: SOURCE: why") and, with a report, one JSON line.
    void ReportOutcome(const TFileOutcome& outcome) override;
    bool Cancelled() override { return CancelRequested && CancelRequested(); }

    // Where the JSON Lines report goes; none when null.
    std::FILE* Report = nullptr;
    // Whether the user asked the run to stop (Ctrl-C).
    std::function<bool()> CancelRequested;

    // Ends the progress line so that later output starts on a line of its own.
    void Finish();

private:
    void BreakProgressLine();
    bool Ask(std::string_view text);

    TOverwritePolicy overwrite_;
    bool interactive_;
    std::FILE* input_;
    std::FILE* output_;
    bool progressShown_ = false;
};

}  // namespace pictorand
