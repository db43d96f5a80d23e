// How one source of a run ended: written, skipped or failed, with the reason and the
// facts a report gives about it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pictorand {

// Ignored: a file found in a source folder that holds no picture (a text, a sidecar).
enum class TOutcome : std::uint8_t { Written, Skipped, Failed, Ignored };

struct TFileOutcome {
    std::string Source;  // the path as given
    TOutcome Kind = TOutcome::Failed;
    std::string Output;  // the output path; empty when no output was made or kept
    std::string Error;   // why the file failed or was skipped; empty when written
    // What a user should know although the source was read (a file that ends early).
    std::vector<std::string> Warnings;
    // Skipped because another source of this run already wrote the output's name.
    bool NameTaken = false;
    int Width = 0, Height = 0;              // the source picture
    int OutputWidth = 0, OutputHeight = 0;  // the output picture
    std::uint64_t Bytes = 0;                // the output file's size
    double Milliseconds = 0;                // time spent on the file
};

// The outcome's name in reports: "written", "skipped", "failed" or "ignored".
const char* OutcomeName(TOutcome kind);

}  // namespace pictorand
