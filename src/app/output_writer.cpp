#include "app/output_writer.h"

#include <array>
#include <filesystem>

#include "app/app_messages.h"
#include "app/file_names.h"
#include "graphics/exceptions.h"
#include "app/integer_text.h"
#include "graphics/metafile.h"
#include "readers/targa_graphic.h"
#include "writers/gif_image.h"
#include "writers/jpeg_image.h"
#include "writers/linar_bitmap.h"
#include "writers/pcx_writer.h"
#include "writers/png_object.h"
#include "writers/tiff_writer.h"

namespace pictorand {

namespace {

// Writes the raster to the named file, creating or replacing it.
using TWriter = void (*)(const std::string& path, const TBitmap& raster, const ConversionSettings& settings);

struct TOutputFormatRow {
    OutputFormat Format;
    std::string_view Extension;
    TWriter Write;
};

void WriteBmp(const std::string& path, const TBitmap& raster, const ConversionSettings&) {
    TBitmap copy(raster);
    copy.SaveToFile(path);
}

void WriteJpg(const std::string& path, const TBitmap& raster, const ConversionSettings& settings) {
    TJPEGImage jpeg;
    jpeg.Assign(raster);
    jpeg.Options.Quality = StrToInt(settings.JpegQualityText());
    jpeg.EncodeJpeg();
    jpeg.SaveToFile(path);
}

void WriteGif(const std::string& path, const TBitmap& raster, const ConversionSettings&) {
    TGIFImage gif;
    gif.Assign(raster);
    gif.SaveToFile(path);
}

void WriteTga(const std::string& path, const TBitmap& raster, const ConversionSettings&) {
    TTargaGraphic targa;
    targa.Assign(raster);
    targa.SaveToFile(path);
}

void WriteTiff(const std::string& path, const TBitmap& raster, const ConversionSettings&) { WriteTiffFile(path, raster); }

// Layout 4: three 8-bit planes, red, green and blue.
void WritePcx(const std::string& path, const TBitmap& raster, const ConversionSettings&) { WritePcxFile(path, raster, 4); }

void WritePng(const std::string& path, const TBitmap& raster, const ConversionSettings&) {
    TPNGObject png;
    png.Assign(raster);
    png.SaveToFile(path);
}

// The ".ico" ending of the path selects the icon writer.
void WriteIco(const std::string& path, const TBitmap& raster, const ConversionSettings&) {
    TLinarBitmap icon;
    icon.AssignFromBitmap(raster);
    icon.SaveToFile(path);
}

void WriteWmf(const std::string& path, const TBitmap& raster, const ConversionSettings&) {
    TMetafile metafile;
    metafile.RecordBitmap(raster);
    metafile.SaveToFile(path);
}

// In the order the writer goes through the formats.
constexpr std::array<TOutputFormatRow, 9> Formats = {{
    {OutputFormat::Bmp, ".bmp", &WriteBmp},
    {OutputFormat::Jpg, ".jpg", &WriteJpg},
    {OutputFormat::Gif, ".gif", &WriteGif},
    {OutputFormat::Tga, ".tga", &WriteTga},
    {OutputFormat::Tiff, ".tif", &WriteTiff},
    {OutputFormat::Png, ".png", &WritePng},
    {OutputFormat::Pcx, ".pcx", &WritePcx},
    {OutputFormat::Ico, ".ico", &WriteIco},
    {OutputFormat::Wmf, ".wmf", &WriteWmf},
}};

const TOutputFormatRow& RowFor(OutputFormat format) {
    for (const TOutputFormatRow& row : Formats) {
        if (row.Format == format) return row;
    }
    return Formats.front();
}

std::string BuildPath(const TRunState& state, const std::string& name, std::string_view extension) {
    const std::string folder = state.OutputFolder ? state.OutputFolder() : std::string();
    return (std::filesystem::path(folder) / ChangeFileExt(name, extension)).string();
}

}  // namespace

std::string_view FormatExtension(OutputFormat format) { return RowFor(format).Extension; }

std::string OutputFileName(const ConversionSettings& settings, OutputFormat format, std::string_view sourceName,
                           std::int32_t runningNumber) {
    const std::string_view ext = FormatExtension(format);
    const std::string number = std::to_string(runningNumber);
    switch (settings.Naming.value_or(NamingMode::KeepName)) {
        case NamingMode::AddThumb: return ChangeFileExt(sourceName, "_thumb" + std::string(ext));
        case NamingMode::AddWord: return ChangeFileExt(sourceName, "_" + settings.AddedWordText + std::string(ext));
        case NamingMode::KeepName: return ChangeFileExt(sourceName, ext);
        case NamingMode::AutoNumber:
        case NamingMode::NumberFrom: return number + std::string(ext);
        case NamingMode::FixedName: return ChangeFileExt(settings.FixedNameText + "_" + number, ext);
    }
    return ChangeFileExt(sourceName, ext);
}

bool SaveResizeFiles(TRunState& state) {
    bool written = false;
    for (std::size_t i = 0; i < Formats.size(); ++i) {
        const TOutputFormatRow& row = Formats[i];
        const ConversionSettings settings = state.Settings.Current();
        if (settings.Format == row.Format) {
            const std::string name = OutputFileName(settings, row.Format, state.CurrentFileName, state.RunningNumber);
            auto write = [&] {
                const ConversionSettings now = state.Settings.Current();
                row.Write(BuildPath(state, name, row.Extension), *state.TargetBitmap, now);
                written = true;
            };
            if (settings.WarnOnExisting) {
                std::error_code ignored;
                if (!std::filesystem::exists(BuildPath(state, name, row.Extension), ignored) ||
                    state.Host.AskYesNo(TQuestion::ReplaceExisting, messages::FileExistsReplace)) {
                    write();
                }
            }
            if (state.Settings.Current().ReplaceSilently) write();
        }
        if (i + 1 < Formats.size()) state.Host.ProcessMessages();
    }
    return written;
}

}  // namespace pictorand
