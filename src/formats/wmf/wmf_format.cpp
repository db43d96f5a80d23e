#include "formats/wmf/wmf_format.h"

#include <algorithm>

#include "formats/common/graphic_ex_format.h"
#include "formats/wmf/metafile.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"wmf"}};
constexpr std::string_view MimeTypes[] = {"image/wmf", "image/x-wmf"};
constexpr std::uint8_t Placeable[] = {0xD7, 0xCD, 0xC6, 0x9A};
constexpr TSignature Signatures[] = {{0, {Placeable, sizeof Placeable}}};

// Drawn at its own size, or at 1/N of it, rounded up, when the picture is wanted smaller.
TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    const TRasterCap cap(request.MaxPixels);
    TMetafile metafile;
    TSpanStream stream(file);
    metafile.LoadFromStream(stream);
    TDecodedImage image;
    const int shrink = std::max(1, request.ShrinkDenominator);
    image.Raster.SetHeight((metafile.Height() + shrink - 1) / shrink);
    image.Raster.SetWidth((metafile.Width() + shrink - 1) / shrink);
    if (shrink == 1) metafile.Draw(image.Raster, 0, 0);
    else metafile.DrawAtSize(image.Raster, image.Raster.Width(), image.Raster.Height());
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
    .MimeTypes = MimeTypes,
    .Probe = [](std::span<const std::uint8_t> file) { return ProbeByLoading<TMetafile>(file); },
    .Decode = Decode,
    .Shrink = TShrinkOnLoad::Redraw,
    .Encode = Encode,
    .Classic = true,
    .Dialog = {"WMF", "RadioButtonFWMF", 2, 2},
};

}  // namespace pictorand
