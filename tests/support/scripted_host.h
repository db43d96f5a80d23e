// A run host for tests: records every call and answers questions from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/run_host.h"

namespace pictorand::testing {

class TScriptedHost : public TRunHost {
public:
    std::vector<std::string> Messages;
    std::vector<std::string> Details;
    std::vector<std::string> Questions;
    std::vector<std::string> Errors;
    std::vector<int> Progress;
    std::vector<TFileOutcome> Outcomes;
    int Pumps = 0;
    // The run is told to stop once this many outcomes are reported; never when negative.
    int CancelAfter = -1;
    // Answers to the questions in order; Yes once they run out.
    std::deque<bool> Answers;

    void ShowMessage(std::string_view text, std::string_view detail) override {
        Messages.emplace_back(text);
        Details.emplace_back(detail);
    }
    bool AskYesNo(TQuestion, std::string_view text) override {
        Questions.emplace_back(text);
        if (Answers.empty()) return true;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void ShowError(std::string_view text) override { Errors.emplace_back(text); }
    void ProcessMessages() override { ++Pumps; }
    void SetProgress(int percent) override { Progress.push_back(percent); }
    void ReportOutcome(const TFileOutcome& outcome) override { Outcomes.push_back(outcome); }
    bool Cancelled() override { return CancelAfter >= 0 && static_cast<int>(Outcomes.size()) >= CancelAfter; }
};

}  // namespace pictorand::testing
