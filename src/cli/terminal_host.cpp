#include "cli/terminal_host.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

namespace pictorand {

namespace {

bool ValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        std::uint32_t point = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto follower = static_cast<unsigned char>(text[i + k]);
            if ((follower & 0xC0) != 0x80) return false;
            point = point << 6 | (follower & 0x3F);
        }
        // Overlong forms, surrogates and points beyond Unicode are not UTF-8.
        constexpr std::uint32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < Least[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

std::string Base64(std::string_view bytes) {
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += Digits[group >> 18 & 63];
        out += Digits[group >> 12 & 63];
        out += i + 1 < bytes.size() ? Digits[group >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? Digits[group & 63] : '=';
    }
    return out;
}

}  // namespace

std::string EscapedForLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        }
    }
    return out;
}

void TTerminalHost::BreakProgressLine() {
    if (!progressShown_) return;
    std::fputc('\n', output_);
    progressShown_ = false;
}

void TTerminalHost::ShowMessage(std::string_view text, std::string_view detail) {
    const std::lock_guard lock(mutex_);
    if (abandoned_) return;
    BreakProgressLine();
    std::fputs(EscapedForLine(text).c_str(), output_);
    if (!detail.empty()) std::fprintf(output_, " (%s)", EscapedForLine(detail).c_str());
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
    const std::lock_guard lock(mutex_);
    if (abandoned_) return;
    BreakProgressLine();
    std::fprintf(output_, "%s\n", EscapedForLine(text).c_str());
}

void TTerminalHost::SetProgress(int percent) {
    const std::lock_guard lock(mutex_);
    if (!interactive_ || abandoned_) return;
    std::fprintf(output_, "\r%3d%%", percent);
    std::fflush(output_);
    progressShown_ = true;
}

void TTerminalHost::ReportOutcome(const TFileOutcome& outcome) {
    const std::lock_guard lock(mutex_);
    if (!abandoned_) ReportLocked(outcome);
}

void TTerminalHost::ReportLocked(const TFileOutcome& o) {
    ++reported_;
    switch (o.Kind) {
        case TOutcome::Written: ++written_; break;
        case TOutcome::Skipped: ++skipped_; break;
        case TOutcome::Failed: ++failed_; break;
        case TOutcome::Ignored: ++ignored_; break;
    }
    BreakProgressLine();
    const std::string source = EscapedForLine(o.Source);
    std::string warnings;
    for (const std::string& warning : o.Warnings) warnings += "; warning: " + EscapedForLine(warning);
    warnings_ += static_cast<int>(o.Warnings.size());
    if (o.Kind == TOutcome::Written) {
        std::fprintf(output_, "written: %s -> %s%s\n", source.c_str(), EscapedForLine(o.Output).c_str(), warnings.c_str());
    } else if (o.Kind != TOutcome::Ignored) {
        std::fprintf(output_, "%s: %s: %s%s\n", OutcomeName(o.Kind), source.c_str(), EscapedForLine(o.Error).c_str(), warnings.c_str());
    }
    if (!Report || !reportError_.empty()) return;
    // Fields in a fixed order. A path that is not UTF-8 shows its bytes as replacement
    // characters, and its exact bytes follow in base64 under the same name + "_bytes".
    nlohmann::ordered_json line;
    line["source"] = o.Source;
    if (!ValidUtf8(o.Source)) line["source_bytes"] = Base64(o.Source);
    line["outcome"] = OutcomeName(o.Kind);
    line["output"] = o.Output.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(o.Output);
    if (!ValidUtf8(o.Output)) line["output_bytes"] = Base64(o.Output);
    line["error"] = o.Error.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(o.Error);
    line["warnings"] = o.Warnings;
    line["width"] = o.Width;
    line["height"] = o.Height;
    line["output_width"] = o.OutputWidth;
    line["output_height"] = o.OutputHeight;
    line["bytes"] = o.Bytes;
    line["ms"] = std::round(o.Milliseconds * 1000) / 1000;
    const std::string text = line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    if (std::fputs(text.c_str(), Report) == EOF || std::fflush(Report) != 0) reportError_ = std::strerror(errno);
}

void TTerminalHost::Finish() {
    const std::lock_guard lock(mutex_);
    BreakProgressLine();
}

std::string TTerminalHost::Summary() const {
    const std::lock_guard lock(mutex_);
    std::string line = std::to_string(written_) + " written, " + std::to_string(skipped_) + " skipped, " + std::to_string(failed_) + " failed";
    if (ignored_ > 0) line += ", " + std::to_string(ignored_) + " ignored";
    if (warnings_ > 0) line += ", " + std::to_string(warnings_) + (warnings_ == 1 ? " warning" : " warnings");
    return line;
}

void TTerminalHost::Abandon(const std::vector<TSourceEntry>& sources, std::string_view why) {
    {
        const std::lock_guard lock(mutex_);
        if (abandoned_) return;
        for (std::size_t i = reported_; i < sources.size(); ++i) {
            TFileOutcome outcome;
            outcome.Source = sources[i].Path;
            outcome.Kind = sources[i].Ignored ? TOutcome::Ignored : TOutcome::Failed;
            if (!sources[i].Ignored) outcome.Error = std::string(why);
            ReportLocked(outcome);
        }
        BreakProgressLine();
        abandoned_ = true;
    }
    std::fprintf(output_, "%s\n", Summary().c_str());
    std::fflush(output_);
}

}  // namespace pictorand
