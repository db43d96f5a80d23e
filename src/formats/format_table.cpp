#include "formats/format_table.h"

#include <algorithm>
#include <stdexcept>

#include "formats/avif/avif_format.h"
#include "formats/bmp/bmp_format.h"
#include "formats/foreign/foreign_formats.h"
#include "formats/gif/gif_format.h"
#include "formats/heic/heic_format.h"
#include "formats/ico/ico_format.h"
#include "formats/jpeg/jpeg_format.h"
#include "formats/jxl/jxl_format.h"
#include "formats/pcx/pcx_format.h"
#include "formats/png/png_format.h"
#include "formats/psd/psd_format.h"
#include "formats/psp/psp_format.h"
#include "formats/raw/raw_format.h"
#include "formats/tga/targa_format.h"
#include "formats/tiff/tiff_format.h"
#include "formats/webp/webp_format.h"
#include "formats/wmf/wmf_format.h"

namespace pictorand {

namespace {

// Readers in the order of the source dialog's filters; formats only written follow.
constexpr const TFormatDescriptor* Formats[] = {
    &BmpFormat, &JpegFormat, &GifFormat, &TargaFormat, &TiffFormat, &PcxFormat,
    &PngFormat, &PsdFormat,  &PspFormat, &WmfFormat,   &HeicFormat,
    &AvifFormat, &WebpFormat, &JxlFormat, &RawFormat,  &IcoFormat,
};

// ASCII letters are compared without their case; every other byte as it is.
bool SameExtension(std::string_view withDot, std::string_view lower) {
    if (withDot.size() != lower.size() + 1 || withDot.front() != '.') return false;
    for (std::size_t i = 0; i < lower.size(); ++i) {
        char c = withDot[i + 1];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

bool HasExtension(const TFormatDescriptor& format, std::string_view extension) {
    return std::any_of(format.Extensions.begin(), format.Extensions.end(), [&](const TFileExtension& e) { return SameExtension(extension, e.Text); });
}

bool ReadsExtension(const TFormatDescriptor& format, std::string_view extension) { return format.Reads() && HasExtension(format, extension); }

// The format of the longest signature the head carries, among those `admitted`, and its length.
template <class Admitted>
void LongestSignature(std::span<const TFormatDescriptor* const> formats, std::span<const std::uint8_t> head, Admitted admitted,
                      const TFormatDescriptor*& found, std::size_t& foundLength) {
    for (const TFormatDescriptor* format : formats) {
        if (!admitted(*format)) continue;
        for (const TSignature& signature : format->Signatures) {
            const std::size_t end = signature.Offset + signature.Bytes.size();
            if (head.size() >= end && signature.Bytes.size() > foundLength &&
                std::equal(signature.Bytes.begin(), signature.Bytes.end(), head.begin() + static_cast<std::ptrdiff_t>(signature.Offset))) {
                found = format;
                foundLength = signature.Bytes.size();
            }
        }
    }
}

}  // namespace

std::span<const TFormatDescriptor* const> FormatTable() { return Formats; }

const TFormatDescriptor* FindReadableFormat(std::string_view extension) {
    for (const TFormatDescriptor* format : Formats)
        if (ReadsExtension(*format, extension)) return format;
    return nullptr;
}

const TFormatDescriptor* FindLogoFormat(std::string_view extension) {
    const TFormatDescriptor* format = FindReadableFormat(extension);
    return format && format->LogoOrder >= 0 ? format : nullptr;
}

// The longest signature that fits wins: a Canon raw is a TIFF structure with a mark of its
// own after the TIFF header, a PSB a PSD's mark with another version.
const TFormatDescriptor* IdentifyByContent(std::span<const std::uint8_t> head) {
    const TFormatDescriptor* found = nullptr;
    std::size_t length = 0;
    LongestSignature(Formats, head, [](const TFormatDescriptor& f) { return f.Reads(); }, found, length);
    return found;
}

const TFormatDescriptor* FindKnownFormat(std::string_view extension) {
    if (const TFormatDescriptor* format = FindReadableFormat(extension)) return format;
    for (const auto formats : {std::span<const TFormatDescriptor* const>(Formats), ForeignFormats()})
        for (const TFormatDescriptor* format : formats)
            if (HasExtension(*format, extension)) return format;
    return nullptr;
}

const TFormatDescriptor* IdentifyKnownByContent(std::span<const std::uint8_t> head) {
    const TFormatDescriptor* found = nullptr;
    std::size_t length = 0;
    LongestSignature(Formats, head, [](const TFormatDescriptor& f) { return f.Reads(); }, found, length);
    LongestSignature(ForeignFormats(), head, [](const TFormatDescriptor&) { return true; }, found, length);
    return found;
}

std::optional<OutputFormat> FindOutputFormat(std::string_view name) {
    for (const TFormatDescriptor* format : Formats)
        if (format->Writes() && format->Name == name) return OutputFormat(*format);
    return std::nullopt;
}

OutputFormat OutputFormatNamed(std::string_view name) {
    if (const auto format = FindOutputFormat(name)) return *format;
    throw std::invalid_argument("no format writes " + std::string(name));
}

OutputFormat DefaultOutputFormat() { return OutputFormat(JpegFormat); }

std::vector<OutputFormat> OutputFormats() {
    std::vector<OutputFormat> out;
    for (const TFormatDescriptor* format : Formats)
        if (format->Writes()) out.emplace_back(*format);
    return out;
}

std::string OutputExtension(OutputFormat format) {
    // Appended rather than concatenated: GCC 12 warns falsely about the optimised concatenation.
    std::string extension = ".";
    extension.append(format->Name);
    return extension;
}

std::vector<std::string_view> ExtensionsOf(const TFormatDescriptor& format) {
    std::vector<std::string_view> out;
    for (const TFileExtension& e : format.Extensions)
        if (!e.Unlisted) out.push_back(e.Text);
    return out;
}

std::vector<const TFormatDescriptor*> SourceFormats() {
    std::vector<const TFormatDescriptor*> out;
    for (const TFormatDescriptor* format : Formats)
        if (format->Reads()) out.push_back(format);
    return out;
}

std::vector<const TFormatDescriptor*> LogoFormats() {
    std::vector<const TFormatDescriptor*> out;
    for (const TFormatDescriptor* format : Formats)
        if (format->LogoOrder >= 0) out.push_back(format);
    std::sort(out.begin(), out.end(), [](const TFormatDescriptor* a, const TFormatDescriptor* b) { return a->LogoOrder < b->LogoOrder; });
    return out;
}

std::vector<std::string_view> SourceMimeTypes() {
    std::vector<std::string_view> types;
    for (const TFormatDescriptor* format : SourceFormats())
        for (std::string_view type : format->MimeTypes)
            if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
    return types;
}

std::vector<std::string_view> AllSourceExtensions() {
    std::vector<std::string_view> first, last;
    for (const TFormatDescriptor* format : SourceFormats()) {
        for (const TFileExtension& e : format->Extensions)
            if (!e.Unlisted) (e.LastInAllFilter ? last : first).push_back(e.Text);
    }
    first.insert(first.end(), last.begin(), last.end());
    return first;
}

}  // namespace pictorand
