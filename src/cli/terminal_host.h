// The command line's run host: messages on stderr, questions answered by policy (or
// asked on the terminal), and a progress line on a terminal only.
#pragma once

#include <cstdio>

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

    // Ends the progress line so that later output starts on a line of its own.
    void Finish();

private:
    void BreakProgressLine();

    TOverwritePolicy overwrite_;
    bool interactive_;
    std::FILE* input_;
    std::FILE* output_;
    bool progressShown_ = false;
};

}  // namespace pictorand
