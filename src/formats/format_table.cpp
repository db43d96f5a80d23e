#include "formats/format_table.h"

#include <algorithm>

#include "formats/bmp/bmp_format.h"
#include "formats/common/metadata_segments.h"
#include "formats/gif/gif_image.h"
#include "formats/ico/linar_bitmap.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/pcx/pcx_graphic.h"
#include "formats/pcx/pcx_writer.h"
#include "formats/png/png_graphic.h"
#include "formats/png/png_object.h"
#include "formats/psd/psd_graphic.h"
#include "formats/psp/psp_graphic.h"
#include "formats/tga/targa_graphic.h"
#include "formats/tiff/tiff_graphic.h"
#include "formats/tiff/tiff_writer.h"
#include "formats/wmf/metafile.h"

namespace pictorand {

namespace {

template <class T>
std::unique_ptr<TGraphic> Make() {
    return std::make_unique<T>();
}

// Writers of the image objects that take a raster by assignment.
template <class T>
void WriteAssigned(TStream& stream, const TBitmap& raster, const TWriteOptions&) {
    T image;
    image.Assign(raster);
    image.SaveToStream(stream);
}

// Saves image, with the metadata put into the encoded file when there is any.
template <class TAddMetadata>
void SaveWithMetadata(TGraphic& image, TStream& stream, const TWriteOptions& options, TAddMetadata addMetadata) {
    if (!options.Metadata) {
        image.SaveToStream(stream);
        return;
    }
    TMemoryStream encoded;
    image.SaveToStream(encoded);
    stream.WriteBuffer(addMetadata(encoded.Bytes(), *options.Metadata));
}

void WriteJpg(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    TJPEGImage jpeg;
    jpeg.Assign(raster);
    jpeg.Options.Quality = options.JpegQuality;
    jpeg.EncodeJpeg();
    SaveWithMetadata(jpeg, stream, options, JpegWithMetadata);
}

void WritePng(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    TPNGObject png;
    png.Assign(raster);
    SaveWithMetadata(png, stream, options, PngWithMetadata);
}

void WriteTiff(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    WriteTiffStream(stream, raster, options.Metadata ? std::span<const std::uint8_t>(options.Metadata->IccProfile) : std::span<const std::uint8_t>());
}

// Layout 4: three 8-bit planes, red, green and blue.
void WritePcx(TStream& stream, const TBitmap& raster, const TWriteOptions&) { WritePcxStream(stream, raster, 4); }

// The ".ico" ending selects the icon writer.
void WriteIco(TStream& stream, const TBitmap& raster, const TWriteOptions&) {
    TLinarBitmap icon;
    icon.AssignFromBitmap(raster);
    icon.SaveToStream(stream, "ico");
}

void WriteWmf(TStream& stream, const TBitmap& raster, const TWriteOptions&) {
    TMetafile metafile;
    metafile.RecordBitmap(raster);
    metafile.SaveToStream(stream);
}

using K = TLoadKind;
using O = OutputFormat;

// Readers in the order the loader tries them. The JPEG reader runs before the loader
// lets pending events run, every later one after.
constexpr TFormatRow Rows[] = {
    {"bmp", {{{"bmp"}, {}}}, K::Bitmap, nullptr, true, O::Bmp, &WriteBmpFile, false, 3},
    {"jpg", {{{"jpg"}, {"jpeg"}, {"jpe", false, true}, {"jfif", false, true}, {"jif", false, true}}}, K::Decoded, &Make<TJPEGImage>, true, O::Jpg, &WriteJpg, true, -1},
    {"gif", {{{"gif"}, {}}}, K::Decoded, &Make<TGIFImage>, false, O::Gif, &WriteAssigned<TGIFImage>, false, -1},
    {"tga", {{{"tga"}, {}}}, K::Decoded, &Make<TTargaGraphic>, false, O::Tga, &WriteAssigned<TTargaGraphic>, false, -1},
    {"tif", {{{"tif"}, {"tiff"}}}, K::Decoded, &Make<TTIFFGraphic>, false, O::Tiff, &WriteTiff, false, -1},
    {"pcx", {{{"pcx"}, {}}}, K::Decoded, &Make<TPCXGraphic>, false, O::Pcx, &WritePcx, false, 4},
    {"png", {{{"png"}, {}}}, K::Decoded, &Make<TPNGGraphic>, false, O::Png, &WritePng, false, 2},
    {"psd", {{{"psd"}, {"pdd", true}}}, K::Decoded, &Make<TPSDGraphic>, false, std::nullopt, nullptr, false, 0},
    {"psp", {{{"psp"}, {}}}, K::Decoded, &Make<TPSPGraphic>, false, std::nullopt, nullptr, false, 1},
    {"wmf", {{{"wmf"}, {}}}, K::Metafile, &Make<TMetafile>, false, O::Wmf, &WriteWmf, false, -1},
    {"ico", {{{}, {}}}, K::None, nullptr, false, O::Ico, &WriteIco, false, -1},
};

// The first bytes that mark a format, whatever the file is called.
struct TSignature {
    std::string_view Format;
    std::size_t Offset;
    std::basic_string_view<std::uint8_t> Bytes;
};

constexpr std::uint8_t PngMark[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t JpegMark[] = {0xFF, 0xD8, 0xFF};
constexpr std::uint8_t Gif87Mark[] = {'G', 'I', 'F', '8', '7', 'a'};
constexpr std::uint8_t Gif89Mark[] = {'G', 'I', 'F', '8', '9', 'a'};
constexpr std::uint8_t TiffIntelMark[] = {'I', 'I', 42, 0};
constexpr std::uint8_t TiffMotorolaMark[] = {'M', 'M', 0, 42};
constexpr std::uint8_t BmpMark[] = {'B', 'M'};
constexpr std::uint8_t PsdMark[] = {'8', 'B', 'P', 'S'};
constexpr std::uint8_t PspMark[] = {'P', 'a', 'i', 'n', 't', ' ', 'S', 'h', 'o', 'p', ' ', 'P', 'r', 'o', ' ', 'I', 'm', 'a', 'g', 'e'};
constexpr std::uint8_t WmfPlaceableMark[] = {0xD7, 0xCD, 0xC6, 0x9A};

constexpr std::basic_string_view<std::uint8_t> Mark(const std::uint8_t* bytes, std::size_t size) { return {bytes, size}; }

constexpr TSignature Signatures[] = {
    {"png", 0, Mark(PngMark, sizeof PngMark)},
    {"jpg", 0, Mark(JpegMark, sizeof JpegMark)},
    {"gif", 0, Mark(Gif87Mark, sizeof Gif87Mark)},
    {"gif", 0, Mark(Gif89Mark, sizeof Gif89Mark)},
    {"tif", 0, Mark(TiffIntelMark, sizeof TiffIntelMark)},
    {"tif", 0, Mark(TiffMotorolaMark, sizeof TiffMotorolaMark)},
    {"bmp", 0, Mark(BmpMark, sizeof BmpMark)},
    {"psd", 0, Mark(PsdMark, sizeof PsdMark)},
    {"psp", 0, Mark(PspMark, sizeof PspMark)},
    {"wmf", 0, Mark(WmfPlaceableMark, sizeof WmfPlaceableMark)},
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

bool ReadsExtension(const TFormatRow& row, std::string_view extension) {
    if (row.Load == TLoadKind::None) return false;
    return std::any_of(row.Extensions.begin(), row.Extensions.end(),
                       [&](const TFileExtension& e) { return !e.Text.empty() && SameExtension(extension, e.Text); });
}

}  // namespace

std::span<const TFormatRow> FormatTable() { return Rows; }

const TFormatRow* FindReadableFormat(std::string_view extension) {
    for (const TFormatRow& row : Rows)
        if (ReadsExtension(row, extension)) return &row;
    return nullptr;
}

const TFormatRow* FindLogoFormat(std::string_view extension) {
    const TFormatRow* row = FindReadableFormat(extension);
    return row && row->LogoOrder >= 0 ? row : nullptr;
}

const TFormatRow& OutputFormatRow(OutputFormat format) {
    for (const TFormatRow& row : Rows)
        if (row.Output == format) return row;
    return Rows[0];
}

const TFormatRow* FindOutputFormat(std::string_view name) {
    for (const TFormatRow& row : Rows)
        if (row.Output && row.Name == name) return &row;
    return nullptr;
}

std::string OutputExtension(OutputFormat format) { return "." + std::string(OutputFormatRow(format).Name); }

std::vector<std::string_view> ExtensionsOf(const TFormatRow& row) {
    std::vector<std::string_view> out;
    for (const TFileExtension& e : row.Extensions)
        if (!e.Text.empty() && !e.Unlisted) out.push_back(e.Text);
    return out;
}

const TFormatRow* IdentifyByContent(std::span<const std::uint8_t> head) {
    for (const TSignature& signature : Signatures) {
        const std::size_t end = signature.Offset + signature.Bytes.size();
        if (head.size() >= end && std::equal(signature.Bytes.begin(), signature.Bytes.end(), head.begin() + signature.Offset)) {
            for (const TFormatRow& row : Rows)
                if (row.Name == signature.Format) return &row;
        }
    }
    return nullptr;
}

std::vector<const TFormatRow*> SourceFormats() {
    std::vector<const TFormatRow*> out;
    for (const TFormatRow& row : Rows)
        if (row.Load != TLoadKind::None) out.push_back(&row);
    return out;
}

std::vector<const TFormatRow*> LogoFormats() {
    std::vector<const TFormatRow*> out;
    for (const TFormatRow& row : Rows)
        if (row.LogoOrder >= 0) out.push_back(&row);
    std::sort(out.begin(), out.end(), [](const TFormatRow* a, const TFormatRow* b) { return a->LogoOrder < b->LogoOrder; });
    return out;
}

std::vector<std::string_view> AllSourceExtensions() {
    std::vector<std::string_view> first, last;
    for (const TFormatRow* row : SourceFormats()) {
        for (const TFileExtension& e : row->Extensions)
            if (!e.Text.empty() && !e.Unlisted) (e.LastInAllFilter ? last : first).push_back(e.Text);
    }
    first.insert(first.end(), last.begin(), last.end());
    return first;
}

}  // namespace pictorand
