#include "engine/output_writer.h"

#include <filesystem>

#include "engine/colour_profile.h"
#include "engine/text_catalogue.h"
#include "engine/file_names.h"
#include "engine/integer_text.h"
#include "formats/format_table.h"
#include "formats/metadata_for_output.h"
#include "graphics/folder_handle.h"

namespace pictorand {

namespace {

// The classic list's quality is the chosen item's text, read when the file is encoded by
// a writer that takes it; a range's is the number chosen, or the format's default.
TWriteOptions WriteOptions(OutputFormat format, const ConversionSettings& settings, int threads) {
    TWriteOptions options;
    if (format->Quality == TQualityKind::ClassicList) options.Quality = StrToInt(settings.JpegQualityText());
    if (format->Quality == TQualityKind::Range) options.Quality = settings.Encode.Quality;
    options.Lossless = format->Lossless && settings.Encode.Lossless;
    if (format->TakesEffort) options.Effort = settings.Encode.Effort;
    options.Threads = threads;
    return options;
}

}  // namespace

std::string OutputPath(const TRunContext& run, const TSourceFile& source, const ConversionSettings& settings,
                       OutputFormat format, std::int32_t runningNumber) {
    const std::string name = OutputFileName(settings, format, source.Name, runningNumber);
    const std::string folder = run.OutputFolder ? run.OutputFolder() : std::string();
    return (std::filesystem::path(folder) / source.Subfolder / ChangeFileExt(name, OutputExtension(format))).string();
}

void EncodeOutput(OutputFormat format, TStream& stream, const TBitmap& raster, const ConversionSettings& settings,
                  const TSourceMetadata* metadata, int threads) {
    TWriteOptions options = WriteOptions(format, settings, threads);
    options.Metadata = metadata;
    format->Encode(stream, raster, options);
}

std::optional<TSourceMetadata> OutputMetadata(const TPreparedFile& file, const TPhotoOptions& options) {
    // Pixels left in the source's colours carry its profile (or the one its code points
    // describe), so that they are shown as they were.
    std::vector<std::uint8_t> profile;
    if ((options.KeepMetadata || options.CarryProfile) && !file.ProfileConverted)
        profile = !file.Metadata.IccProfile.empty() ? file.Metadata.IccProfile : file.Metadata.Cicp ? CicpProfile(*file.Metadata.Cicp) : profile;
    const TExifUpdate update{.TurnedUpright = options.AutoOrient || file.TurnedByReader,
                             .InSrgb = file.ProfileConverted,
                             .Width = file.Target ? file.Target->Width() : 0,
                             .Height = file.Target ? file.Target->Height() : 0};
    return MetadataForOutput(file.Metadata, options.KeepMetadata, update, profile);
}

std::string OutputFileName(const ConversionSettings& settings, OutputFormat format, std::string_view sourceName,
                           std::int32_t runningNumber) {
    const std::string ext = OutputExtension(format);
    const std::string number = std::to_string(runningNumber);
    switch (settings.Naming.value_or(NamingMode::KeepName)) {
        case NamingMode::AddThumb: return ChangeFileExt(sourceName, "_thumb" + ext);
        case NamingMode::AddWord: return ChangeFileExt(sourceName, "_" + settings.AddedWordText + ext);
        case NamingMode::KeepName: return ChangeFileExt(sourceName, ext);
        case NamingMode::AutoNumber:
        case NamingMode::NumberFrom: return number + ext;
        case NamingMode::FixedName: return ChangeFileExt(settings.FixedNameText + "_" + number, ext);
    }
    return ChangeFileExt(sourceName, ext);
}

TWriteResult SaveResizeFiles(const TPreparedFile& file, std::int32_t runningNumber, const TRunContext& run, TRunHost& host,
                             std::set<std::string>& writtenThisRun) {
    const ConversionSettings settings = run.Settings.Current();
    if (!settings.Format) return {};
    const OutputFormat format = *settings.Format;
    const std::string path = OutputPath(run, file.Source, settings, format, runningNumber);
    TWriteResult result{TWriteResult::TKind::KeptExisting, path, 0};
    const std::string key = std::filesystem::path(path).lexically_normal().string();
    const std::string name = std::filesystem::path(path).filename().string();
    // The output's folder, reached below the output folder without following links.
    auto folder = [&] { return TFolderHandle(run.OutputFolder ? run.OutputFolder() : std::string()).Subfolder(file.Source.Subfolder); };
    auto write = [&](TPublishMode mode) {
        const TFolderHandle target = folder();
        bool published;
        if (file.Encoded && file.Encoded->Format == format) {
            if (file.Encoded->Failure) std::rethrow_exception(file.Encoded->Failure);
            published = PublishFile(target, name, mode, [&](TStream& stream) { stream.WriteBuffer(file.Encoded->Bytes); });
        } else {
            const ConversionSettings now = run.Settings.Current();
            published = PublishFile(target, name, mode, [&](TStream& stream) {
                const auto metadata = OutputMetadata(file, now.Photo);
                EncodeOutput(format, stream, *file.Target, now, metadata ? &*metadata : nullptr, run.Threads);
            });
        }
        // Another process may have taken the name meanwhile; what it wrote is kept.
        if (!published) return;
        writtenThisRun.insert(key);
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        result = {TWriteResult::TKind::Written, path, error ? 0 : static_cast<std::uint64_t>(size)};
    };
    if (writtenThisRun.contains(key)) {
        // An earlier source of this run wrote that name; it is never replaced.
        result.Kind = TWriteResult::TKind::NameTaken;
    } else {
        if (settings.WarnOnExisting) {
            const TFolderEntry existing = folder().Entry(name);
            // A folder of the output's name is no output to keep: writing refuses it.
            if (existing == TFolderEntry::Nothing || existing == TFolderEntry::Folder) write(TPublishMode::KeepExisting);
            else if (host.AskReplace(path, Say(TText::FileExistsReplace))) write(TPublishMode::Replace);
        }
        if (run.Settings.Current().ReplaceSilently) write(TPublishMode::Replace);
    }
    host.ProcessMessages();
    return result;
}

}  // namespace pictorand
