// The one list of the formats the program reads and writes, as their descriptors. The
// loader, the logo stage, the writer, the command line and the dialogs find formats here
// and ask their descriptors the rest.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/common/format_descriptor.h"
#include "formats/output_format.h"

namespace pictorand {

// Every format, readers in the order the source dialog lists them.
std::span<const TFormatDescriptor* const> FormatTable();

// The reading format for an extension with its dot (compared with its ASCII letters
// lower-cased), or null.
const TFormatDescriptor* FindReadableFormat(std::string_view extension);
// The format of a logo extension with its dot, or null.
const TFormatDescriptor* FindLogoFormat(std::string_view extension);
// The reading format whose signature the file's first bytes carry, or null. Formats
// without a reliable signature (Targa, PCX) are never recognised this way.
const TFormatDescriptor* IdentifyByContent(std::span<const std::uint8_t> head);
// Any format the program knows by the extension, read or not: a reader's, a writer's
// (ICO) or a picture format it does not read (PSB, OpenEXR); null for none.
const TFormatDescriptor* FindKnownFormat(std::string_view extension);
// The format, read or not, whose signature the file's first bytes carry, or null.
const TFormatDescriptor* IdentifyKnownByContent(std::span<const std::uint8_t> head);
// The bytes of a file's start that every signature fits in.
inline constexpr std::size_t SignatureBytes = 32;

// The writing format with a short name, or nothing.
std::optional<OutputFormat> FindOutputFormat(std::string_view name);
// The writing format with a short name; raises std::invalid_argument for another name.
OutputFormat OutputFormatNamed(std::string_view name);
// The format a first start of the program writes.
OutputFormat DefaultOutputFormat();
// The formats that are written, in table order.
std::vector<OutputFormat> OutputFormats();

// The format's lower-case output extension with its dot (".tif" for TIFF).
std::string OutputExtension(OutputFormat format);
// A format's extensions the file dialogs offer.
std::vector<std::string_view> ExtensionsOf(const TFormatDescriptor& format);
// The formats that read sources, in table order.
std::vector<const TFormatDescriptor*> SourceFormats();
// The formats that read logos, in the logo dialog's order.
std::vector<const TFormatDescriptor*> LogoFormats();
// The media types of every source format, each once, in table order.
std::vector<std::string_view> SourceMimeTypes();
// Every source extension in the order of the source dialog's "all supported" filter.
std::vector<std::string_view> AllSourceExtensions();

}  // namespace pictorand
