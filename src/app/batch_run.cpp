#include "app/batch_run.h"

#include "app/app_messages.h"
#include "app/file_names.h"
#include "app/integer_text.h"
#include "app/logo_stage.h"
#include "app/output_raster_stage.h"
#include "app/output_writer.h"
#include "app/source_loader.h"

namespace pictorand {

TBatchRun::TBatchRun(TRunHost& host, const TSettingsSource& settings) : state_(host, settings) {}

TRunSummary TBatchRun::ResizeImage(const std::vector<std::string>& files) {
    TRunSummary summary;
    state_.OutputFolder = OutputFolder;
    state_.LogoFileName = LogoFileName;
    state_.LoadFailed = state_.ResizeFailed = state_.LogoFailed = false;
    try {
        state_.RunningNumber = 1;
        const ConversionSettings atStart = state_.Settings.Current();
        // The start number is the one setting read once per run.
        if (atStart.Naming == NamingMode::NumberFrom) state_.RunningNumber = StrToInt(atStart.StartNumberText);

        const std::vector<std::string> list = files;
        const int count = static_cast<int>(list.size());
        int remaining = count;
        for (const std::string& path : list) {
            if (!ProcessOne(path, remaining, summary)) {
                summary.Ended = summary.Processed < count;
                break;
            }
            ++summary.Processed;
            --remaining;
            state_.Host.SetProgress(summary.Processed * 100 / count);
            const auto naming = state_.Settings.Current().Naming;
            if (naming == NamingMode::AutoNumber || naming == NamingMode::NumberFrom || naming == NamingMode::FixedName) {
                ++state_.RunningNumber;
            }
        }
    } catch (const std::exception& error) {
        summary.Escaped = true;
        summary.Ended = true;
        state_.SourceBitmap.reset();
        state_.TargetBitmap.reset();
        state_.Host.ShowError(error.what());
    }
    return summary;
}

// Answers false when the run ends with this file.
bool TBatchRun::ProcessOne(const std::string& path, int remaining, TRunSummary& summary) {
    TRunState& s = state_;
    s.CurrentExt = ExtractFileExt(path);
    s.CurrentFileName = ExtractFileName(path);
    s.CurrentSourcePath = path;
    s.Host.ProcessMessages();

    CheckAndLoadFromFile(s);
    const ConversionSettings settings = s.Settings.Current();
    if (!s.LoadFailed && settings.LogoEnabled && settings.Format != OutputFormat::Ico) OperationWishLogotip(s);
    if (!s.LoadFailed && !s.LogoFailed) {
        MakeOutputRaster(s);
    } else {
        s.Host.ProcessMessages();
        s.Host.ProcessMessages();
    }

    if (s.LoadFailed || s.ResizeFailed || s.LogoFailed) {
        ++summary.Failed;
        s.SourceBitmap.reset();
        s.TargetBitmap.reset();
        if (s.LogoFailed) return false;
        if (remaining <= 1) return false;
        if (s.LoadFailed) {
            if (!s.Host.AskYesNo(TQuestion::ContinueAfterFailure, messages::ContinueProcessing)) return false;
            s.LoadFailed = false;
        }
        if (s.ResizeFailed) {
            const std::string question = std::string(messages::ResizeErrorPrefix) + s.CurrentFileName + "! " + "\r" +
                                         std::string(messages::ContinueProcessing);
            if (!s.Host.AskYesNo(TQuestion::ContinueAfterFailure, question)) return false;
            s.ResizeFailed = false;
        }
        return true;
    }
    s.SourceBitmap.reset();
    if (SaveResizeFiles(s)) ++summary.Written;
    s.TargetBitmap.reset();
    return true;
}

}  // namespace pictorand
