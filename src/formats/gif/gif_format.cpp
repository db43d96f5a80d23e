#include "formats/gif/gif_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/gif/gif_image.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"gif"}};
constexpr std::string_view MimeTypes[] = {"image/gif"};
constexpr std::uint8_t Gif87[] = {'G', 'I', 'F', '8', '7', 'a'};
constexpr std::uint8_t Gif89[] = {'G', 'I', 'F', '8', '9', 'a'};
constexpr TSignature Signatures[] = {{0, {Gif87, sizeof Gif87}}, {0, {Gif89, sizeof Gif89}}};

// Loading keeps the frames' compressed data; no pixels are decoded.
TImageInfo Probe(std::span<const std::uint8_t> file) {
    return ProbeByLoading<TGIFImage>(file, [](const TGIFImage& gif, TImageInfo& info) { info.Frames = static_cast<int>(gif.Frames().size()); });
}

}  // namespace

const TFormatDescriptor GifFormat{
    .Name = "gif",
    .Title = "GIF",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = DecodeWithReader<TGIFImage>,
    .Encode = EncodeAssigned<TGIFImage>,
    .Classic = true,
    .Dialog = {"GIF", "RadioButtonFGIF", 1, 0},
};

}  // namespace pictorand
