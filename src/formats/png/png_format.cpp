#include "formats/png/png_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/common/metadata_segments.h"
#include "formats/png/png_graphic.h"
#include "formats/png/png_metadata.h"
#include "formats/png/png_object.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"png"}};
constexpr std::string_view MimeTypes[] = {"image/png"};
constexpr std::uint8_t Mark[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr TSignature Signatures[] = {{0, {Mark, sizeof Mark}}};

TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info = ProbeHeader<TPNGGraphic>(file);
    info.Metadata = ReadPngMetadata(file);
    return info;
}

void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    TPNGObject png;
    png.Assign(raster);
    if (!options.Metadata) {
        png.SaveToStream(stream);
        return;
    }
    TMemoryStream encoded;
    png.SaveToStream(encoded);
    stream.WriteBuffer(PngWithMetadata(encoded.Bytes(), *options.Metadata));
}

}  // namespace

const TFormatDescriptor PngFormat{
    .Name = "png",
    .Title = "PNG",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = DecodeWithReader<TPNGGraphic>,
    .DecodeRows = DecodeRowsWithReader<TPNGGraphic>,
    .Encode = Encode,
    .Carries = {.Alpha = true, .Icc = true, .Exif = true},
    .Classic = true,
    .Dialog = {"PNG", "RadioButtonFPNG", 1, 2},
    .LogoOrder = 2,
};

}  // namespace pictorand
