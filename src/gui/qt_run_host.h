// The GUI's run host: Qt message boxes captioned with the application title, and the
// event pump that keeps the window live during a run.
#pragma once

#include <functional>
#include <optional>

#include "engine/run_host.h"

class QWidget;

namespace pictorand {

class TQtRunHost : public TRunHost {
public:
    TQtRunHost(QWidget* owner, std::function<void(int)> progress) : owner_(owner), progress_(std::move(progress)) {}

    void ShowMessage(std::string_view text, std::string_view detail) override;
    bool AskYesNo(TQuestion question, std::string_view text) override;
    void ShowError(std::string_view text) override;
    void ProcessMessages() override;
    void SetProgress(int percent) override { progress_(percent); }
    void ReportOutcome(const TFileOutcome& outcome) override;
    bool Cancelled() override { return stopRequested_; }
    // The replace question names the file and offers «Да для всех» and «Нет для всех»,
    // which answer the rest of the run's questions.
    bool AskReplace(std::string_view path, std::string_view text) override;

    // The run stops before its next file; Rearm readies the host for another run.
    void RequestStop() { stopRequested_ = true; }
    // Told of each source's outcome, in list order, as the run goes.
    std::function<void(const TFileOutcome&)> OnOutcome;

    void Rearm() {
        stopRequested_ = false;
        replaceAll_.reset();
    }

private:
    QWidget* owner_;
    std::function<void(int)> progress_;
    bool stopRequested_ = false;
    std::optional<bool> replaceAll_;
};

}  // namespace pictorand
