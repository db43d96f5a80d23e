// The one table of the formats the program reads and writes. The loader, the logo stage,
// the writer, the command line and the file dialogs all take their extensions, readers,
// writers and orders from it.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/common/source_metadata.h"
#include "formats/output_format.h"
#include "graphics/bitmap.h"
#include "graphics/graphic.h"
#include "graphics/stream.h"

namespace pictorand {

// How a format's picture reaches a raster.
enum class TLoadKind : std::uint8_t {
    None,      // the format is only written
    Bitmap,    // the raster loads the file itself
    Decoded,   // the format's reader loads the file and hands its picture over
    Metafile,  // the metafile is drawn onto a raster of its size
};

// What a writer needs besides the raster.
struct TWriteOptions {
    int JpegQuality = 0;
    // Metadata to carry into the file, by the writers that can (JPEG, PNG); none by default.
    const TSourceMetadata* Metadata = nullptr;
};

using TReaderFactory = std::unique_ptr<TGraphic> (*)();
using TWriter = void (*)(TStream& stream, const TBitmap& raster, const TWriteOptions& options);

// An extension a format is read by: lower case, without its dot.
struct TFileExtension {
    std::string_view Text;
    // The source dialog's "all supported" filter names it after every other extension.
    bool LastInAllFilter = false;
    // Read, but not offered by the file dialogs, whose lists stay as they always were.
    bool Unlisted = false;
};

struct TFormatRow {
    // The short name: the command line's format name and, with a dot, the output extension.
    std::string_view Name;
    std::array<TFileExtension, 5> Extensions;  // unused slots are empty
    TLoadKind Load;
    TReaderFactory CreateReader;  // null for the rows a raster loads itself
    // Loaded before the loader lets pending events run rather than after.
    bool LoadsBeforeEventPump;
    std::optional<OutputFormat> Output;
    TWriter Write;
    // The writer takes the JPEG quality setting.
    bool UsesQuality;
    // Place in the logo dialog's filter list; -1 when the format is no logo.
    int LogoOrder;
};

// Every row, readers in the order the loader and the source dialog list them.
std::span<const TFormatRow> FormatTable();

// The reading row for an extension with its dot (compared with its ASCII letters
// upper-cased), or null.
const TFormatRow* FindReadableFormat(std::string_view extension);
// The row of a logo extension with its dot, or null.
const TFormatRow* FindLogoFormat(std::string_view extension);
// The reading row whose signature the file's first bytes carry, or null. Formats
// without a reliable signature (Targa, PCX) are never recognised this way.
const TFormatRow* IdentifyByContent(std::span<const std::uint8_t> head);
// The row that writes a format.
const TFormatRow& OutputFormatRow(OutputFormat format);
// The writing row with a short name, or null.
const TFormatRow* FindOutputFormat(std::string_view name);

// The format's lower-case output extension with its dot (".tif" for TIFF).
std::string OutputExtension(OutputFormat format);
// A row's extensions the file dialogs offer.
std::vector<std::string_view> ExtensionsOf(const TFormatRow& row);
// The rows that read sources, in table order.
std::vector<const TFormatRow*> SourceFormats();
// The rows that read logos, in the logo dialog's order.
std::vector<const TFormatRow*> LogoFormats();
// Every source extension in the order of the source dialog's "all supported" filter.
std::vector<std::string_view> AllSourceExtensions();

}  // namespace pictorand
