// The batch run's only way to the user: messages, questions, the event pump and progress.
// The GUI implements it with Qt, the command line on a terminal, the tests with a script.
#pragma once

#include <string_view>

#include "engine/file_outcome.h"

namespace pictorand {

inline constexpr std::string_view ApplicationTitle = "Pictorand v4.3";

// What a Yes/No question asks, so that a host without a user can answer by policy.
enum class TQuestion {
    ContinueAfterFailure,  // go on with the other files after one failed
    ReplaceExisting,       // replace an existing output file
    StopRun,               // stop a running batch before its next file (a window asks it)
};

class TRunHost {
public:
    virtual ~TRunHost() = default;

    // A plain message: OK button, no icon, caption "Pictorand v4.3". The detail is the
    // underlying error's own text, which the GUI does not show.
    virtual void ShowMessage(std::string_view text, std::string_view detail = {}) = 0;
    // A Yes/No question with the question icon; answers true for Yes.
    virtual bool AskYesNo(TQuestion question, std::string_view text) = 0;
    // The standard error box: the error's text, OK button, error icon.
    virtual void ShowError(std::string_view text) = 0;
    // Lets pending window messages be processed.
    virtual void ProcessMessages() = 0;
    // Sets the progress bar, 0 to 100.
    virtual void SetProgress(int percent) = 0;
    // Asks whether to replace the existing file at path; the question's text is the one
    // of the replace prompt.
    virtual bool AskReplace(std::string_view path, std::string_view text) {
        static_cast<void>(path);
        return AskYesNo(TQuestion::ReplaceExisting, text);
    }
    // How one source ended, once per source in list order.
    virtual void ReportOutcome(const TFileOutcome& outcome) { static_cast<void>(outcome); }
    // Whether the user asked the run to stop; the run stops between files.
    virtual bool Cancelled() { return false; }
};

}  // namespace pictorand
