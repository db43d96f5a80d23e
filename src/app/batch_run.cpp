#include "app/batch_run.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "app/app_messages.h"
#include "app/file_names.h"
#include "app/integer_text.h"
#include "app/logo_stage.h"
#include "app/output_raster_stage.h"
#include "app/output_writer.h"
#include "app/source_loader.h"

namespace pictorand {

namespace {

// The host of a file prepared ahead of its turn: its messages wait until the turn comes.
class TRecordingHost : public TRunHost {
public:
    std::vector<std::pair<std::string, std::string>> Messages;

    void ShowMessage(std::string_view text, std::string_view detail) override { Messages.emplace_back(text, detail); }
    bool AskYesNo(TQuestion, std::string_view) override { return true; }
    void ShowError(std::string_view text) override { Messages.emplace_back(text, ""); }
    void ProcessMessages() override {}
    void SetProgress(int) override {}
};

// A file prepared ahead, with the host that holds its messages.
struct TPrepared {
    TRecordingHost Host;
    TRunState State;
    explicit TPrepared(const TSettingsSource& settings) : State(Host, settings) {}
};

}  // namespace

TBatchRun::TBatchRun(TRunHost& host, const TSettingsSource& settings) : state_(host, settings) {}

TRunSummary TBatchRun::ResizeImage(const std::vector<std::string>& files) {
    std::vector<TSourceEntry> entries;
    entries.reserve(files.size());
    for (const std::string& path : files) entries.push_back({path, {}});
    return ResizeImage(entries, 1);
}

TRunSummary TBatchRun::ResizeImage(const std::vector<TSourceEntry>& entries, int jobs) {
    state_.OutputFolder = OutputFolder;
    state_.LogoFileName = LogoFileName;
    state_.LoadFailed = state_.ResizeFailed = state_.LogoFailed = false;
    TRunSummary summary;
    try {
        state_.RunningNumber = 1;
        const ConversionSettings atStart = state_.Settings.Current();
        // The start number is the one setting read once per run.
        if (atStart.Naming == NamingMode::NumberFrom) state_.RunningNumber = StrToInt(atStart.StartNumberText);
    } catch (const std::exception& error) {
        summary.Escaped = summary.Ended = true;
        state_.Host->ShowError(error.what());
        return summary;
    }
    return jobs > 1 && entries.size() > 1 ? RunAhead(entries, jobs) : RunInOrder(entries);
}

void TBatchRun::AfterFile(TRunSummary& summary, int count) {
    ++summary.Processed;
    state_.Host->SetProgress(summary.Processed * 100 / count);
    const auto naming = state_.Settings.Current().Naming;
    if (naming == NamingMode::AutoNumber || naming == NamingMode::NumberFrom || naming == NamingMode::FixedName) {
        ++state_.RunningNumber;
    }
}

TRunSummary TBatchRun::RunInOrder(const std::vector<TSourceEntry>& list) {
    TRunSummary summary;
    const int count = static_cast<int>(list.size());
    try {
        for (const TSourceEntry& entry : list) {
            Prepare(state_, entry, false);
            if (!Finish(state_, count - summary.Processed, summary)) {
                summary.Ended = summary.Processed < count;
                break;
            }
            AfterFile(summary, count);
        }
    } catch (const std::exception& error) {
        summary.Escaped = summary.Ended = true;
        state_.SourceBitmap.reset();
        state_.TargetBitmap.reset();
        state_.Host->ShowError(error.what());
    }
    return summary;
}

TRunSummary TBatchRun::RunAhead(const std::vector<TSourceEntry>& list, int jobs) {
    TRunSummary summary;
    const int count = static_cast<int>(list.size());
    // Files are prepared at most this far ahead of the one being written, which bounds
    // the rasters held in memory.
    const int window = 2 * jobs;
    std::vector<std::unique_ptr<TPrepared>> prepared(list.size());
    std::vector<bool> ready(list.size(), false);
    std::mutex mutex;
    std::condition_variable changed;
    int next = 0, committed = 0;
    bool stop = false;

    auto worker = [&] {
        for (;;) {
            int index;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= count || next < committed + window; });
                if (stop || next >= count) return;
                index = next++;
            }
            auto item = std::make_unique<TPrepared>(state_.Settings);
            item->State.OutputFolder = OutputFolder;
            item->State.LogoFileName = LogoFileName;
            Prepare(item->State, list[static_cast<std::size_t>(index)], true);
            {
                std::lock_guard lock(mutex);
                prepared[static_cast<std::size_t>(index)] = std::move(item);
                ready[static_cast<std::size_t>(index)] = true;
            }
            changed.notify_all();
        }
    };
    std::vector<std::jthread> workers;
    for (int i = 0; i < jobs; ++i) workers.emplace_back(worker);

    try {
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<TPrepared> item;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return ready[static_cast<std::size_t>(i)]; });
                item = std::move(prepared[static_cast<std::size_t>(i)]);
            }
            state_.Host->ProcessMessages();
            for (const auto& [text, detail] : item->Host.Messages) state_.Host->ShowMessage(text, detail);
            // The file's turn: it continues with the run's own host and running number.
            TRunState& s = item->State;
            s.Host = state_.Host;
            s.RunningNumber = state_.RunningNumber;
            const bool goOn = Finish(s, count - summary.Processed, summary);
            {
                std::lock_guard lock(mutex);
                committed = i + 1;
                if (!goOn) stop = true;
            }
            changed.notify_all();
            if (!goOn) {
                summary.Ended = summary.Processed < count;
                break;
            }
            AfterFile(summary, count);
        }
    } catch (const std::exception& error) {
        summary.Escaped = summary.Ended = true;
        state_.Host->ShowError(error.what());
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    changed.notify_all();
    return summary;
}

void TBatchRun::Prepare(TRunState& s, const TSourceEntry& entry, bool encode) const {
    s.CurrentExt = ExtractFileExt(entry.Path);
    s.CurrentFileName = ExtractFileName(entry.Path);
    s.CurrentSourcePath = entry.Path;
    s.Subfolder = entry.Subfolder;
    s.LoadFailed = s.ResizeFailed = s.LogoFailed = false;
    s.Encoded.reset();
    s.Host->ProcessMessages();

    CheckAndLoadFromFile(s);
    const ConversionSettings settings = s.Settings.Current();
    if (!s.LoadFailed && settings.LogoEnabled && settings.Format != OutputFormat::Ico) OperationWishLogotip(s);
    if (!s.LoadFailed && !s.LogoFailed) {
        MakeOutputRaster(s);
    } else {
        s.Host->ProcessMessages();
        s.Host->ProcessMessages();
    }
    if (!encode || s.LoadFailed || s.LogoFailed || s.ResizeFailed || !settings.Format) return;
    // Ahead of its turn the file is encoded as the writer would; a failure is kept for
    // the moment the file is written.
    s.SourceBitmap.reset();
    TRunState::TEncoded encoded{*settings.Format, {}, nullptr};
    try {
        TMemoryStream bytes;
        EncodeOutput(*settings.Format, bytes, *s.TargetBitmap, settings);
        encoded.Bytes = bytes.TakeBytes();
    } catch (...) {
        encoded.Failure = std::current_exception();
    }
    s.Encoded = std::move(encoded);
    s.TargetBitmap.reset();
}

bool TBatchRun::Finish(TRunState& s, int remaining, TRunSummary& summary) {
    if (s.LoadFailed || s.ResizeFailed || s.LogoFailed) {
        ++summary.Failed;
        s.SourceBitmap.reset();
        s.TargetBitmap.reset();
        if (s.LogoFailed) return false;
        if (remaining <= 1) return false;
        if (s.LoadFailed) {
            if (!s.Host->AskYesNo(TQuestion::ContinueAfterFailure, messages::ContinueProcessing)) return false;
            s.LoadFailed = false;
        }
        if (s.ResizeFailed) {
            const std::string question = std::string(messages::ResizeErrorPrefix) + s.CurrentFileName + "! " + "\r" +
                                         std::string(messages::ContinueProcessing);
            if (!s.Host->AskYesNo(TQuestion::ContinueAfterFailure, question)) return false;
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
