#include "app/output_writer.h"

#include <array>
#include <filesystem>

#include "app/app_messages.h"
#include "app/file_names.h"
#include "app/integer_text.h"
#include "graphics/bmp_file.h"
#include "graphics/exceptions.h"
#include "graphics/file_stream.h"
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

// Encodes the raster in one format's file layout.
using TWriter = void (*)(TStream& stream, const TBitmap& raster, const ConversionSettings& settings);

struct TOutputFormatRow {
    OutputFormat Format;
    std::string_view Extension;
    TWriter Write;
};

void WriteBmp(TStream& stream, const TBitmap& raster, const ConversionSettings&) { WriteBmpStream(raster, stream); }

void WriteJpg(TStream& stream, const TBitmap& raster, const ConversionSettings& settings) {
    TJPEGImage jpeg;
    jpeg.Assign(raster);
    jpeg.Options.Quality = StrToInt(settings.JpegQualityText());
    jpeg.EncodeJpeg();
    jpeg.SaveToStream(stream);
}

void WriteGif(TStream& stream, const TBitmap& raster, const ConversionSettings&) {
    TGIFImage gif;
    gif.Assign(raster);
    gif.SaveToStream(stream);
}

void WriteTga(TStream& stream, const TBitmap& raster, const ConversionSettings&) {
    TTargaGraphic targa;
    targa.Assign(raster);
    targa.SaveToStream(stream);
}

void WriteTiff(TStream& stream, const TBitmap& raster, const ConversionSettings&) { WriteTiffStream(stream, raster); }

// Layout 4: three 8-bit planes, red, green and blue.
void WritePcx(TStream& stream, const TBitmap& raster, const ConversionSettings&) { WritePcxStream(stream, raster, 4); }

void WritePng(TStream& stream, const TBitmap& raster, const ConversionSettings&) {
    TPNGObject png;
    png.Assign(raster);
    png.SaveToStream(stream);
}

// The ".ico" ending selects the icon writer.
void WriteIco(TStream& stream, const TBitmap& raster, const ConversionSettings&) {
    TLinarBitmap icon;
    icon.AssignFromBitmap(raster);
    icon.SaveToStream(stream, "ico");
}

void WriteWmf(TStream& stream, const TBitmap& raster, const ConversionSettings&) {
    TMetafile metafile;
    metafile.RecordBitmap(raster);
    metafile.SaveToStream(stream);
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
    return (std::filesystem::path(folder) / state.Subfolder / ChangeFileExt(name, extension)).string();
}

}  // namespace

std::string_view FormatExtension(OutputFormat format) { return RowFor(format).Extension; }

void EncodeOutput(OutputFormat format, TStream& stream, const TBitmap& raster, const ConversionSettings& settings) {
    RowFor(format).Write(stream, raster, settings);
}

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
            const std::string path = BuildPath(state, name, row.Extension);
            auto write = [&] {
                if (state.Encoded && state.Encoded->Format == row.Format) {
                    if (state.Encoded->Failure) std::rethrow_exception(state.Encoded->Failure);
                    WriteFileReplacing(path, [&](TStream& stream) { stream.WriteBuffer(state.Encoded->Bytes); });
                } else {
                    const ConversionSettings now = state.Settings.Current();
                    WriteFileReplacing(path, [&](TStream& stream) { row.Write(stream, *state.TargetBitmap, now); });
                }
                written = true;
            };
            if (settings.WarnOnExisting) {
                std::error_code ignored;
                if (!std::filesystem::exists(path, ignored) ||
                    state.Host->AskYesNo(TQuestion::ReplaceExisting, messages::FileExistsReplace)) {
                    write();
                }
            }
            if (state.Settings.Current().ReplaceSilently) write();
        }
        if (i + 1 < Formats.size()) state.Host->ProcessMessages();
    }
    return written;
}

}  // namespace pictorand
