#include "formats/gif/gif_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/gif/gif_image.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"gif"}};
constexpr std::uint8_t Gif87[] = {'G', 'I', 'F', '8', '7', 'a'};
constexpr std::uint8_t Gif89[] = {'G', 'I', 'F', '8', '9', 'a'};
constexpr TSignature Signatures[] = {{0, {Gif87, sizeof Gif87}}, {0, {Gif89, sizeof Gif89}}};

TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info;
    try {
        // Loading keeps the frames' compressed data; no pixels are decoded.
        TGIFImage gif;
        TSpanStream stream(file);
        gif.LoadFromStream(stream);
        info.Width = gif.Width();
        info.Height = gif.Height();
        info.Frames = static_cast<int>(gif.Frames().size());
    } catch (const std::exception&) {
    }
    return info;
}

TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    const TRasterCap cap(request.MaxPixels);
    TGIFImage gif;
    TSpanStream stream(file);
    gif.LoadFromStream(stream);
    TDecodedImage image;
    gif.ReleaseTo(image.Raster);
    return image;
}

}  // namespace

const TFormatDescriptor GifFormat{
    .Name = "gif",
    .Title = "GIF",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .Probe = Probe,
    .Decode = Decode,
    .Encode = EncodeAssigned<TGIFImage>,
    .Dialog = {"GIF", "RadioButtonFGIF", 1, 0},
};

}  // namespace pictorand
