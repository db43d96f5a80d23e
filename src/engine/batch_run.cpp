#include "engine/batch_run.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/text_catalogue.h"
#include "engine/colour_profile.h"
#include "engine/file_names.h"
#include "engine/integer_text.h"
#include "engine/logo_stage.h"
#include "engine/output_raster_stage.h"
#include "engine/output_writer.h"
#include "engine/photo_stage.h"
#include "engine/source_loader.h"
#include "graphics/exceptions.h"
#include "engine/recording_host.h"
#include "graphics/folder_handle.h"
#include "graphics/stream.h"
#include "graphics/zeroed_buffer.h"

namespace pictorand {

namespace {

// A file prepared ahead, with the messages it left for its turn.
struct TAheadFile {
    TRecordingHost Host;
    TPreparedFile File;
};

// Encodes the target as the writer would; a failure is kept for the moment the file is written.
TEncodedOutput EncodeAhead(OutputFormat format, const TPreparedFile& file, const ConversionSettings& settings) {
    TEncodedOutput encoded{format, {}, nullptr};
    try {
        TMemoryStream bytes;
        const auto metadata = OutputMetadata(file, settings.Photo);
        EncodeOutput(format, bytes, *file.Target, settings, metadata ? &*metadata : nullptr);
        encoded.Bytes = bytes.TakeBytes();
    } catch (...) {
        encoded.Failure = std::current_exception();
    }
    return encoded;
}

// The same file whatever way the path names it, as far as the paths tell.
std::filesystem::path SameFileKey(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::filesystem::path key = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : key;
}

// The number after this one, wrapping from 2147483647 to -2147483648 in unsigned arithmetic.
std::int32_t NextRunningNumber(std::int32_t number) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number) + 1u);
}

// Whether the run stamps its logo: icons never get it.
bool StampsLogo(const ConversionSettings& settings) { return settings.LogoEnabled && !settings.WritesIcons(); }

// Whether the picture will be shown turned by a quarter, exchanging its sides.
bool Turned(const ConversionSettings& settings, const TImageInfo& info) {
    return settings.Photo.AutoOrient && info.Metadata.Orientation >= 5;
}

// What the loader is asked for beside the classic picture. readerConverted becomes true
// once a reader has converted pixels through the file's profile; settings must outlive
// the load.
TLoadWishes LoadWishes(const ConversionSettings& settings, int threads, std::int64_t maxPixels, std::atomic<bool>& readerConverted) {
    TLoadWishes wishes;
    wishes.MaxPixels = maxPixels;
    wishes.KeepAlpha = settings.Photo.Transparency;
    wishes.ProfileConverts = settings.Photo.ConvertToSrgb;
    wishes.Threads = threads;
    // A CMYK profile converts while the reader still has the inks, and an RGB one while it
    // still has 16-bit samples; CIELab goes to sRGB through Little CMS.
    if (settings.Photo.ConvertToSrgb) {
        wishes.LabToBgr = LabToSrgb();
        wishes.CmykToBgr = [&readerConverted](const TImageInfo& info) -> TCmykToBgr {
            TCmykToBgr convert = CmykToSrgb(info.Metadata.IccProfile);
            if (!convert) return {};
            return [convert = std::move(convert), &readerConverted](const std::uint8_t* ink, std::uint8_t* bgr, std::size_t count) {
                readerConverted = true;
                convert(ink, bgr, count);
            };
        };
        wishes.Rgb16ToBgr = [&readerConverted](const TImageInfo& info) -> TRgb16ToBgr {
            TRgb16ToBgr convert = Rgb16ToSrgb(SourceProfile(info.Metadata));
            if (!convert) return {};
            return [convert = std::move(convert), &readerConverted](const std::uint16_t* rgb, std::uint8_t* bgr, std::size_t count) {
                readerConverted = true;
                convert(rgb, bgr, count);
            };
        };
    }
    // A picture that is only to be scaled (no logo, not turned, no profile to convert
    // through) may be scaled as its rows are decoded, and never held whole.
    if (!StampsLogo(settings)) {
        wishes.ScaleRows = [&settings, threads](const TImageInfo& info) -> std::unique_ptr<TRowResampler> {
            const bool turns = settings.Photo.AutoOrient && info.Metadata.Orientation >= 2 && info.Metadata.Orientation <= 8;
            const bool converts = settings.Photo.ConvertToSrgb && !SourceProfile(info.Metadata).empty();
            if (turns || converts) return nullptr;
            return PlannedRowScaling(settings, info.Width, info.Height, threads);
        };
    }
    // A logo is stamped at its own size on the source, so a source with a logo is never
    // decoded smaller.
    if ((settings.Resample.ShrinkOnLoad || settings.Resample.DrawAtOutputSize) && !StampsLogo(settings)) {
        wishes.ShrinkTo = [&settings](const TImageInfo& info, TShrinkOnLoad kind) -> std::optional<std::pair<int, int>> {
            // The decoded picture keeps twice the target's size: the resampler's filter,
            // not the reduced JPEG decode's block averages, makes the output (53 dB against
            // a Lanczos reduction of the whole decode, where decoding at the target's size
            // gave 48), and the Huffman decoding that costs the time is the same at every
            // reduction. A redrawn picture keeps twice the target's size for the filter to
            // smooth its edges.
            const bool wanted = kind == TShrinkOnLoad::Approximate ? settings.Resample.ShrinkOnLoad : settings.Resample.DrawAtOutputSize;
            if (!wanted) return std::nullopt;
            constexpr int margin = 2;
            const bool turned = Turned(settings, info);
            const auto target = PlannedTargetSize(settings, turned ? info.Height : info.Width, turned ? info.Width : info.Height);
            if (!target) return std::nullopt;
            const std::pair<int, int> size = turned ? std::pair{target->second, target->first} : *target;
            return std::pair{size.first * margin, size.second * margin};
        };
    }
    return wishes;
}

// Whether the entry is a source to convert, which takes a running number.
bool IsPicture(const TSourceEntry& entry) { return entry.Refused.empty() && !entry.Ignored; }


}  // namespace

const std::string* NameTextLeavingFolder(const ConversionSettings& settings) {
    const std::string* text = settings.Naming == NamingMode::AddWord     ? &settings.AddedWordText
                              : settings.Naming == NamingMode::FixedName ? &settings.FixedNameText
                                                                         : nullptr;
    return text && MakesPath(*text) ? text : nullptr;
}

std::int64_t DefaultMemoryBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    const std::int64_t physical = pages > 0 && pageSize > 0 ? std::int64_t{pages} * pageSize : 0;
    return std::max<std::int64_t>(physical / 2, std::int64_t{512} << 20);
}

std::string RefusedNameText(const ConversionSettings& settings) {
    const std::string* text = NameTextLeavingFolder(settings);
    if (!text) return {};
    return Say(TText::NameTextRefused, {*text});
}

TBatchRun::TBatchRun(TRunHost& host, const TSettingsSource& settings) : host_(host), settings_(settings) {}

TRunContext TBatchRun::Context() const { return {settings_, OutputFolder, pictureThreads_}; }

TRunSummary TBatchRun::ResizeImage(const std::vector<std::string>& files) {
    std::vector<TSourceEntry> entries;
    entries.reserve(files.size());
    for (const std::string& path : files) entries.push_back({.Path = path});
    return ResizeImage(entries, 1);
}

TRunSummary TBatchRun::ResizeImage(const std::vector<TSourceEntry>& entries, int jobs) {
    TRunSummary summary;
    writtenThisRun_.clear();
    endReason_.clear();
    try {
        runningNumber_ = 1;
        const ConversionSettings atStart = settings_.Current();
        if (const std::string* text = NameTextLeavingFolder(atStart)) throw EInvalidGraphicOperation(Say(TText::NameTextLeavesFolder, {*text}));
        // The start number is the one setting read once per run.
        if (atStart.Naming == NamingMode::NumberFrom) runningNumber_ = StrToInt(atStart.StartNumberText);
    } catch (const std::exception& error) {
        Escape(summary, error);
        ReportUnconverted(entries, summary, error.what());
        return summary;
    }
    // An output folder that cannot be opened fails every source at once, said once.
    try {
        TFolderHandle folder(OutputFolder ? OutputFolder() : std::string());
    } catch (const std::exception& error) {
        Escape(summary, error);
        ReportUnconverted(entries, summary, Say(TText::OutputFolderUnusable, {error.what()}));
        return summary;
    }
    const bool ahead = jobs > 1 && entries.size() > 1;
    pictureThreads_ = ahead ? 1 : std::max(1, jobs);
    if (ahead) RunAhead(entries, jobs, summary);
    else RunInOrder(entries, summary);
    ReportUnconverted(entries, summary, summary.Cancelled ? Say(TText::Interrupted) : !endReason_.empty() ? endReason_ : Say(TText::RunEnded));
    return summary;
}

void TBatchRun::AfterFile(TRunSummary& summary, int count, const TPreparedFile& file) {
    ++summary.Processed;
    host_.SetProgress(summary.Processed * 100 / count);
    if (file.Failure == TFileFailure::Refused || file.Failure == TFileFailure::Ignored) return;
    const auto naming = settings_.Current().Naming;
    if (naming == NamingMode::AutoNumber || naming == NamingMode::NumberFrom || naming == NamingMode::FixedName) {
        runningNumber_ = NextRunningNumber(runningNumber_);
    }
}

TPreparedFile TBatchRun::Prepare(const TSourceEntry& entry, TRunHost& host, const TSettingsSnapshot* ahead,
                                 const std::function<void(std::int64_t)>& admit) const {
    const TSettingsSource& settingsSource = ahead ? static_cast<const TSettingsSource&>(*ahead) : settings_;
    const auto start = std::chrono::steady_clock::now();
    // Every raster of the file, source, target and those between, keeps within the cap.
    const TRasterCap cap(MaxPixels);
    TPreparedFile file;
    file.Source = TSourceFile::From(entry);
    if (!entry.Refused.empty()) {
        file.Failure = TFileFailure::Refused;
        file.Error = entry.Refused;
        return file;
    }
    if (entry.Ignored) {
        file.Failure = TFileFailure::Ignored;
        return file;
    }
    host.ProcessMessages();

    const ConversionSettings settings = settingsSource.Current();
    std::atomic<bool> readerConverted = false;
    TLoadWishes wishes = LoadWishes(settings, pictureThreads_, MaxPixels, readerConverted);
    wishes.BeforeDecode = admit;
    TLoadedSource loaded = CheckAndLoadFromFile(file.Source, host, wishes);
    std::unique_ptr<TBitmap> source = std::move(loaded.Raster);
    std::optional<std::pair<int, int>> nominal = loaded.NominalSize;
    if (source) {
        // Sizes as the picture is shown: turned when its orientation exchanges its sides.
        if (nominal && Turned(settings, loaded.Info)) nominal = std::pair{nominal->second, nominal->first};
        file.Metadata = std::move(loaded.Info.Metadata);
        file.TurnedByReader = loaded.Format && loaded.Format->OrientsItself;
        file.Warnings = std::move(loaded.Warnings);
        // A picture scaled as it was decoded is one the photo stage had nothing to do to.
        if (!loaded.Scaled) {
            // Pixels a reader has converted already are not converted again.
            TPhotoOptions photoOptions = settings.Photo;
            if (readerConverted) photoOptions.ConvertToSrgb = false;
            TPhotoResult photo = AdjustPhoto(*source, file.Metadata, photoOptions, settings.Format);
            file.ProfileConverted = photo.ProfileConverted || readerConverted;
            file.Warnings.insert(file.Warnings.end(), photo.Warnings.begin(), photo.Warnings.end());
        }
        file.Width = nominal ? nominal->first : source->Width();
        file.Height = nominal ? nominal->second : source->Height();
    } else {
        file.Failure = TFileFailure::Load;
        file.Error = std::move(loaded.Error);
    }
    if (source && StampsLogo(settings)) {
        const std::string logoFile = ahead ? ahead->LogoFileName() : LogoFileName ? LogoFileName() : std::string();
        if (auto failure = OperationWishLogotip(*source, logoFile, settingsSource, host)) {
            file.Failure = TFileFailure::Logo;
            file.Error = std::move(*failure);
        }
    }
    if (file.Failure == TFileFailure::None) {
        TStageRaster target = loaded.Scaled ? TakeScaledRaster(std::move(source), host)
                                            : MakeOutputRaster(*source, settingsSource, host, nominal, pictureThreads_);
        file.Target = std::move(target.Raster);
        if (file.Target) {
            file.OutputWidth = file.Target->Width();
            file.OutputHeight = file.Target->Height();
        } else {
            file.Failure = TFileFailure::Resize;
            file.Error = Say(TText::CannotResize, {target.Error});
        }
    } else {
        host.ProcessMessages();
        host.ProcessMessages();
    }
    if (ahead && file.Target && settings.Format) {
        source.reset();
        file.Encoded = EncodeAhead(*settings.Format, file, settings);
        file.Target.reset();
    }
    file.Milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return file;
}

TPreparedFile TBatchRun::Preview(const TSourceEntry& entry) const {
    TRecordingHost quiet;
    TPreparedFile file = Prepare(entry, quiet);
    const ConversionSettings settings = settings_.Current();
    if (file.Target && settings.Format) file.Encoded = EncodeAhead(*settings.Format, file, settings);
    return file;
}

void TBatchRun::Report(TFileOutcome outcome, TRunSummary& summary) {
    switch (outcome.Kind) {
        case TOutcome::Written: ++summary.Written; break;
        case TOutcome::Skipped: ++summary.Skipped; break;
        case TOutcome::Failed: ++summary.Failed; break;
        case TOutcome::Ignored: ++summary.Ignored; break;
    }
    summary.Warnings += static_cast<int>(outcome.Warnings.size());
    if (outcome.NameTaken) ++summary.NamesTaken;
    ++summary.Reported;
    host_.ReportOutcome(outcome);
}

void TBatchRun::ReportUnconverted(const std::vector<TSourceEntry>& entries, TRunSummary& summary, std::string_view why) {
    for (std::size_t i = static_cast<std::size_t>(summary.Reported); i < entries.size(); ++i) {
        TFileOutcome outcome;
        outcome.Source = entries[i].Path;
        outcome.Error = std::string(why);
        Report(std::move(outcome), summary);
    }
}

bool TBatchRun::Finish(TPreparedFile& file, int remaining, TRunSummary& summary) {
    const auto start = std::chrono::steady_clock::now();
    TFileOutcome outcome;
    outcome.Source = file.Source.Path;
    outcome.Width = file.Width;
    outcome.Height = file.Height;
    outcome.Warnings = file.Warnings;
    auto report = [&](TOutcome kind) {
        outcome.Kind = kind;
        outcome.Milliseconds =
            file.Milliseconds + std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        Report(std::move(outcome), summary);
    };
    if (file.Failure == TFileFailure::Ignored) {
        report(TOutcome::Ignored);
        return true;
    }
    if (file.Failure != TFileFailure::None) {
        outcome.Error = file.Error;
        report(TOutcome::Failed);
        switch (file.Failure) {
            case TFileFailure::None:
            case TFileFailure::Ignored:
            case TFileFailure::Refused: break;
            case TFileFailure::Logo: return false;
            case TFileFailure::Load:
                return remaining > 1 && host_.AskYesNo(TQuestion::ContinueAfterFailure, Say(TText::ContinueProcessing));
            case TFileFailure::Resize: {
                if (remaining <= 1) return false;
                return host_.AskYesNo(TQuestion::ContinueAfterFailure, Say(TText::ResizeFailedContinue, {file.Source.Name}));
            }
        }
        return true;
    }
    outcome.OutputWidth = file.OutputWidth;
    outcome.OutputHeight = file.OutputHeight;
    TWriteResult written;
    try {
        written = SaveResizeFiles(file, runningNumber_, Context(), host_, writtenThisRun_);
    } catch (const std::exception& error) {
        outcome.Milliseconds = file.Milliseconds + std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        return WriteFailed(file, outcome, error, remaining, summary);
    }
    file.Target.reset();
    outcome.Output = written.Path;
    switch (written.Kind) {
        case TWriteResult::TKind::Written:
            outcome.Bytes = written.Bytes;
            report(TOutcome::Written);
            break;
        case TWriteResult::TKind::KeptExisting:
            outcome.Error = Say(TText::OutputKept);
            report(TOutcome::Skipped);
            break;
        case TWriteResult::TKind::NameTaken:
            outcome.Error = Say(TText::NameTaken);
            outcome.NameTaken = true;
            report(TOutcome::Skipped);
            break;
        case TWriteResult::TKind::NoFormat:
            outcome.Output.clear();
            outcome.Error = Say(TText::NoFormatChosen);
            report(TOutcome::Failed);
            break;
    }
    return true;
}

bool TBatchRun::WriteFailed(TPreparedFile& file, TFileOutcome& outcome, const std::exception& error, int remaining,
                            TRunSummary& summary) {
    // Nothing was written for this file (writers publish only finished files); the others may be.
    file.Target.reset();
    host_.ShowMessage(Say(TText::CannotWriteFile, {file.Source.Name}), error.what());
    outcome.Kind = TOutcome::Failed;
    outcome.Error = Say(TText::CannotWrite, {error.what()});
    Report(std::move(outcome), summary);
    if (!OutputFolderUsable()) {
        const std::string folder = OutputFolder ? OutputFolder() : std::string(".");
        endReason_ = Say(TText::OutputFolderLostBefore, {folder});
        host_.ShowError(Say(TText::OutputFolderLost, {folder}));
        return false;
    }
    return remaining > 1 && host_.AskYesNo(TQuestion::ContinueAfterFailure, Say(TText::ContinueProcessing));
}

bool TBatchRun::OutputFolderUsable() const {
    try {
        return TFolderHandle(OutputFolder ? OutputFolder() : std::string()).Writable();
    } catch (const std::exception&) {
        return false;
    }
}

bool TBatchRun::StopRequested(TRunSummary& summary) {
    if (!host_.Cancelled()) return false;
    summary.Cancelled = summary.Ended = true;
    return true;
}

void TBatchRun::Escape(TRunSummary& summary, const std::exception& error) {
    summary.Escaped = summary.Ended = true;
    host_.ShowError(error.what());
}

void TBatchRun::RunInOrder(const std::vector<TSourceEntry>& list, TRunSummary& summary) {
    const int count = static_cast<int>(list.size());
    try {
        for (const TSourceEntry& entry : list) {
            if (StopRequested(summary)) break;
            GiveBackFreedMemory();
            TPreparedFile file = Prepare(entry, host_);
            if (!Finish(file, count - summary.Processed, summary)) {
                summary.Ended = summary.Processed < count;
                break;
            }
            AfterFile(summary, count, file);
        }
    } catch (const std::exception& error) {
        Escape(summary, error);
    }
}

std::vector<int> TBatchRun::EarlierOutputsReplacing(const std::vector<TSourceEntry>& list) const {
    std::vector<int> replacedBy(list.size(), -1);
    const ConversionSettings settings = settings_.Current();
    if (!settings.Format) return replacedBy;
    std::map<std::filesystem::path, int> lastOutput;
    std::int32_t number = runningNumber_;
    const TRunContext run = Context();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!IsPicture(list[i])) continue;
        const TSourceFile source = TSourceFile::From(list[i]);
        if (const auto found = lastOutput.find(SameFileKey(source.Path)); found != lastOutput.end()) replacedBy[i] = found->second;
        lastOutput[SameFileKey(OutputPath(run, source, settings, *settings.Format, number))] = static_cast<int>(i);
        number = NextRunningNumber(number);
    }
    return replacedBy;
}

void TBatchRun::RunAhead(const std::vector<TSourceEntry>& list, int jobs, TRunSummary& summary) {
    const int count = static_cast<int>(list.size());
    // A file that an earlier file's output replaces is read only after that output is
    // written, as one thread would read it.
    const std::vector<int> replacedBy = EarlierOutputsReplacing(list);
    // Files are prepared at most this far ahead of the one being written, which bounds
    // the rasters held in memory.
    const int window = 2 * jobs;
    std::vector<std::unique_ptr<TAheadFile>> prepared(list.size());
    std::vector<bool> ready(list.size(), false);
    std::mutex mutex;
    std::condition_variable changed;
    int next = 0, committed = 0;
    bool stop = false;
    // Memory the files being prepared are estimated to take.
    std::int64_t inFlight = 0;
    TSettingsSnapshot snapshot(settings_, LogoFileName);

    auto worker = [&] {
        for (;;) {
            int index;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= count || next < committed + window; });
                if (stop || next >= count) return;
                index = next++;
                changed.wait(lock, [&] { return stop || committed > replacedBy[static_cast<std::size_t>(index)]; });
                if (stop) return;
            }
            // A file is decoded when its estimate fits beside the others being prepared, or
            // when it is the one being waited for, which always goes ahead.
            std::int64_t reserved = 0;
            auto admit = [&](std::int64_t bytes) {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || index == committed || inFlight + bytes <= MemoryBudget; });
                reserved = bytes;
                inFlight += bytes;
            };
            auto item = std::make_unique<TAheadFile>();
            item->File = Prepare(list[static_cast<std::size_t>(index)], item->Host, &snapshot, admit);
            {
                std::lock_guard lock(mutex);
                inFlight -= reserved;
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
            if (StopRequested(summary)) break;
            GiveBackFreedMemory();
            std::unique_ptr<TAheadFile> item;
            {
                // The host's events go on while the file is prepared: a window stays alive.
                std::unique_lock lock(mutex);
                while (!changed.wait_for(lock, std::chrono::milliseconds(25), [&] { return ready[static_cast<std::size_t>(i)]; })) {
                    lock.unlock();
                    host_.ProcessMessages();
                    snapshot.Refresh();
                    lock.lock();
                }
                item = std::move(prepared[static_cast<std::size_t>(i)]);
            }
            host_.ProcessMessages();
            snapshot.Refresh();
            for (const auto& [text, detail] : item->Host.Messages) host_.ShowMessage(text, detail);
            // The file's turn: it continues with the run's own host and running number.
            const bool goOn = Finish(item->File, count - summary.Processed, summary);
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
            AfterFile(summary, count, item->File);
        }
    } catch (const std::exception& error) {
        Escape(summary, error);
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    changed.notify_all();
}

}  // namespace pictorand
