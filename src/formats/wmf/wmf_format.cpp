#include "formats/wmf/wmf_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/wmf/metafile.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"wmf"}};
constexpr std::uint8_t Placeable[] = {0xD7, 0xCD, 0xC6, 0x9A};
constexpr TSignature Signatures[] = {{0, {Placeable, sizeof Placeable}}};

TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    const TRasterCap cap(request.MaxPixels);
    TMetafile metafile;
    TSpanStream stream(file);
    metafile.LoadFromStream(stream);
    TDecodedImage image;
    image.Raster.SetHeight(metafile.Height());
    image.Raster.SetWidth(metafile.Width());
    metafile.Draw(image.Raster, 0, 0);
    return image;
}

void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions&) {
    TMetafile metafile;
    metafile.RecordBitmap(raster);
    metafile.SaveToStream(stream);
}

}  // namespace

const TFormatDescriptor WmfFormat{
    .Name = "wmf",
    .Title = "WMF",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .Probe = [](std::span<const std::uint8_t> file) { return ProbeByLoading<TMetafile>(file); },
    .Decode = Decode,
    .Encode = Encode,
    .Dialog = {"WMF", "RadioButtonFWMF", 2, 2},
};

}  // namespace pictorand
