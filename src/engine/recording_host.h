// TRecordingHost: the host of work no user waits on (a file prepared ahead of its turn, a
// preview): it keeps what it was told for later, answers yes and shows nothing.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/run_host.h"

namespace pictorand {

class TRecordingHost : public TRunHost {
public:
    std::vector<std::pair<std::string, std::string>> Messages;

    void ShowMessage(std::string_view text, std::string_view detail) override { Messages.emplace_back(text, detail); }
    bool AskYesNo(TQuestion, std::string_view) override { return true; }
    void ShowError(std::string_view text) override { Messages.emplace_back(text, ""); }
    void ProcessMessages() override {}
    void SetProgress(int) override {}
};

}  // namespace pictorand
