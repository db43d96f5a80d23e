#include "formats/tiff/tiff_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/tiff/tiff_graphic.h"
#include "formats/tiff/tiff_metadata.h"
#include "formats/tiff/tiff_writer.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"tif"}, {"tiff"}};
constexpr std::string_view MimeTypes[] = {"image/tiff"};
constexpr std::uint8_t Intel[] = {'I', 'I', 42, 0};
constexpr std::uint8_t Motorola[] = {'M', 'M', 0, 42};
constexpr TSignature Signatures[] = {{0, {Intel, sizeof Intel}}, {0, {Motorola, sizeof Motorola}}};

TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info = ProbeHeader<TTIFFGraphic>(file);
    info.Metadata = ReadTiffMetadata(file);
    return info;
}

void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    WriteTiffStream(stream, raster, options.Metadata ? std::span<const std::uint8_t>(options.Metadata->IccProfile) : std::span<const std::uint8_t>());
}

}  // namespace

const TFormatDescriptor TiffFormat{
    .Name = "tif",
    .Title = "TIFF",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = DecodeWithReader<TTIFFGraphic>,
    .DecodeRows = DecodeRowsWithReader<TTIFFGraphic>,
    .Encode = Encode,
    .Carries = {.Alpha = true, .Icc = true},
    .Classic = true,
    .Dialog = {"TIF", "RadioButtonFTIFF", 1, 1},
};

}  // namespace pictorand
