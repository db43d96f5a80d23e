#include "cli/terminal_host.h"

#include <string>

namespace pictorand {

void TTerminalHost::BreakProgressLine() {
    if (!progressShown_) return;
    std::fputc('\n', output_);
    progressShown_ = false;
}

void TTerminalHost::ShowMessage(std::string_view text, std::string_view detail) {
    BreakProgressLine();
    std::fprintf(output_, "%.*s", static_cast<int>(text.size()), text.data());
    if (!detail.empty()) std::fprintf(output_, " (%.*s)", static_cast<int>(detail.size()), detail.data());
    std::fputc('\n', output_);
}

bool TTerminalHost::AskYesNo(TQuestion question, std::string_view text) {
    // A script goes on after a failed file; the exit status reports the failure.
    if (question == TQuestion::ContinueAfterFailure) return true;
    if (overwrite_ == TOverwritePolicy::Always) return true;
    if (overwrite_ == TOverwritePolicy::Never || !interactive_) return false;
    BreakProgressLine();
    std::string line;
    for (;;) {
        std::fprintf(output_, "%.*s [y/n] ", static_cast<int>(text.size()), text.data());
        std::fflush(output_);
        line.clear();
        int c;
        while ((c = std::fgetc(input_)) != EOF && c != '\n') line += static_cast<char>(c);
        if (line == "y" || line == "Y" || line == "yes") return true;
        if (line == "n" || line == "N" || line == "no" || c == EOF) return false;
    }
}

void TTerminalHost::ShowError(std::string_view text) {
    BreakProgressLine();
    std::fprintf(output_, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void TTerminalHost::SetProgress(int percent) {
    if (!interactive_) return;
    std::fprintf(output_, "\r%3d%%", percent);
    std::fflush(output_);
    progressShown_ = true;
}

void TTerminalHost::Finish() { BreakProgressLine(); }

}  // namespace pictorand
