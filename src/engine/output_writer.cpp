#include "engine/output_writer.h"

#include <filesystem>
#include <iterator>

#include "engine/app_messages.h"
#include "engine/file_names.h"
#include "engine/integer_text.h"
#include "formats/common/exif.h"
#include "formats/common/metadata_segments.h"
#include "formats/format_table.h"
#include "graphics/folder_handle.h"

namespace pictorand {

namespace {

// The quality is the chosen item's text, read when the file is encoded by a writer
// that takes it.
TWriteOptions WriteOptions(const TFormatRow& row, const ConversionSettings& settings) {
    TWriteOptions options;
    if (row.UsesQuality) options.JpegQuality = StrToInt(settings.JpegQualityText());
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
                  const TSourceMetadata* metadata) {
    const TFormatRow& row = OutputFormatRow(format);
    TWriteOptions options = WriteOptions(row, settings);
    options.Metadata = metadata;
    row.Write(stream, raster, options);
}

std::optional<TSourceMetadata> OutputMetadata(const TPreparedFile& file, const TPhotoOptions& options) {
    if (!options.KeepMetadata) return std::nullopt;
    const TSourceMetadata& source = file.Metadata;
    TSourceMetadata kept;
    kept.Exif = ExifForOutput(source.Exif, options.AutoOrient);
    kept.Xmp = source.Xmp;
    kept.Iptc = source.Iptc;
    if (!file.ProfileConverted && IsRgbProfile(source.IccProfile)) kept.IccProfile = source.IccProfile;
    if (kept.Exif.empty() && kept.Xmp.empty() && kept.Iptc.empty() && kept.IccProfile.empty()) return std::nullopt;
    return kept;
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
    TWriteResult result;
    // Every format is looked at in turn, each with the settings as they are then.
    for (auto format = std::begin(WriterOrder); format != std::end(WriterOrder); ++format) {
        const ConversionSettings settings = run.Settings.Current();
        if (settings.Format == *format) {
            const std::string path = OutputPath(run, file.Source, settings, *format, runningNumber);
            result = {TWriteResult::TKind::KeptExisting, path, 0};
            const std::string key = std::filesystem::path(path).lexically_normal().string();
            const std::string name = std::filesystem::path(path).filename().string();
            // The output's folder, reached below the output folder without following links.
            auto folder = [&] { return TFolderHandle(run.OutputFolder ? run.OutputFolder() : std::string()).Subfolder(file.Source.Subfolder); };
            auto write = [&](TPublishMode mode) {
                const TFolderHandle target = folder();
                bool published;
                if (file.Encoded && file.Encoded->Format == *format) {
                    if (file.Encoded->Failure) std::rethrow_exception(file.Encoded->Failure);
                    published = PublishFile(target, name, mode, [&](TStream& stream) { stream.WriteBuffer(file.Encoded->Bytes); });
                } else {
                    const ConversionSettings now = run.Settings.Current();
                    published = PublishFile(target, name, mode, [&](TStream& stream) {
                        const auto metadata = OutputMetadata(file, now.Photo);
                        EncodeOutput(*format, stream, *file.Target, now, metadata ? &*metadata : nullptr);
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
                    else if (host.AskReplace(path, messages::FileExistsReplace)) write(TPublishMode::Replace);
                }
                if (run.Settings.Current().ReplaceSilently) write(TPublishMode::Replace);
            }
        }
        if (std::next(format) != std::end(WriterOrder)) host.ProcessMessages();
    }
    return result;
}

}  // namespace pictorand
