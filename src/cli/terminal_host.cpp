#include "cli/terminal_host.h"

#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

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
    // A script goes on after a failed file; the file's outcome line and the exit status
    // report the failure.
    if (question == TQuestion::ContinueAfterFailure) return true;
    if (overwrite_ == TOverwritePolicy::Always) return true;
    if (overwrite_ == TOverwritePolicy::Never || !interactive_) return false;
    return Ask(text);
}

bool TTerminalHost::AskReplace(std::string_view path, std::string_view text) {
    if (overwrite_ != TOverwritePolicy::Ask || !interactive_) return AskYesNo(TQuestion::ReplaceExisting, text);
    return Ask(std::string(path) + ": " + std::string(text));
}

bool TTerminalHost::Ask(std::string_view text) {
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

void TTerminalHost::ReportOutcome(const TFileOutcome& o) {
    BreakProgressLine();
    if (o.Kind == TOutcome::Written) {
        std::fprintf(output_, "written: %s -> %s\n", o.Source.c_str(), o.Output.c_str());
    } else {
        std::fprintf(output_, "%s: %s: %s\n", OutcomeName(o.Kind), o.Source.c_str(), o.Error.c_str());
    }
    if (!Report) return;
    // Fields in a fixed order; paths and texts that are not UTF-8 keep their bytes as
    // replacement characters rather than failing the report.
    nlohmann::ordered_json line;
    line["source"] = o.Source;
    line["outcome"] = OutcomeName(o.Kind);
    line["output"] = o.Output.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(o.Output);
    line["error"] = o.Error.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(o.Error);
    line["width"] = o.Width;
    line["height"] = o.Height;
    line["output_width"] = o.OutputWidth;
    line["output_height"] = o.OutputHeight;
    line["bytes"] = o.Bytes;
    line["ms"] = std::round(o.Milliseconds * 1000) / 1000;
    const std::string text = line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    std::fputs(text.c_str(), Report);
    std::fflush(Report);
}

void TTerminalHost::Finish() { BreakProgressLine(); }

}  // namespace pictorand
