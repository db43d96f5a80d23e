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

// The frames are read, not decoded.
TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info;
    try {
        TGIFImage gif;
        TSpanStream stream(file);
        gif.ReadFrames(stream);
        info.Width = gif.Width();
        info.Height = gif.Height();
        info.Frames = static_cast<int>(gif.Frames().size());
    } catch (const std::exception&) {
    }
    return info;
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
    .DecodeRows = DecodeRowsWithReader<TGIFImage>,
    .Encode = EncodeAssigned<TGIFImage>,
    .Classic = true,
    .Dialog = {"GIF", "RadioButtonFGIF", 1, 0},
};

}  // namespace pictorand
