#include "formats/format_table.h"

#include <algorithm>
#include <stdexcept>

#include "formats/bmp/bmp_format.h"
#include "formats/gif/gif_format.h"
#include "formats/ico/ico_format.h"
#include "formats/jpeg/jpeg_format.h"
#include "formats/pcx/pcx_format.h"
#include "formats/png/png_format.h"
#include "formats/psd/psd_format.h"
#include "formats/psp/psp_format.h"
#include "formats/tga/targa_format.h"
#include "formats/tiff/tiff_format.h"
#include "formats/wmf/wmf_format.h"

namespace pictorand {

namespace {

// Readers in the order of the source dialog's filters; formats only written follow.
constexpr const TFormatDescriptor* Formats[] = {
    &BmpFormat, &JpegFormat, &GifFormat, &TargaFormat, &TiffFormat, &PcxFormat,
    &PngFormat, &PsdFormat,  &PspFormat, &WmfFormat,   &IcoFormat,
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

bool ReadsExtension(const TFormatDescriptor& format, std::string_view extension) {
    return format.Reads() && std::any_of(format.Extensions.begin(), format.Extensions.end(),
                                         [&](const TFileExtension& e) { return SameExtension(extension, e.Text); });
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

const TFormatDescriptor* IdentifyByContent(std::span<const std::uint8_t> head) {
    for (const TFormatDescriptor* format : Formats) {
        if (!format->Reads()) continue;
        for (const TSignature& signature : format->Signatures) {
            const std::size_t end = signature.Offset + signature.Bytes.size();
            if (head.size() >= end && std::equal(signature.Bytes.begin(), signature.Bytes.end(), head.begin() + static_cast<std::ptrdiff_t>(signature.Offset)))
                return format;
        }
    }
    return nullptr;
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

std::string OutputExtension(OutputFormat format) { return "." + std::string(format->Name); }

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
