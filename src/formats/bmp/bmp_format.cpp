#include "formats/bmp/bmp_format.h"

#include "graphics/bmp_file.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"bmp"}};
constexpr std::string_view MimeTypes[] = {"image/bmp", "image/x-bmp", "image/x-ms-bmp"};
constexpr std::uint8_t Mark[] = {'B', 'M'};
constexpr TSignature Signatures[] = {{0, {Mark, sizeof Mark}}};

TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info;
    try {
        const TBmpSize size = ProbeBmp(file);
        info.Width = size.Width;
        info.Height = size.Height;
        info.BitsPerSample = size.BitsPerPixel >= 24 ? 8 : size.BitsPerPixel;
        info.HasAlpha = size.AlphaMask;
    } catch (const std::exception&) {
    }
    return info;
}

TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    const TRasterCap cap(request.MaxPixels);
    return {DecodeBmp(file, request.KeepAlpha), {}};
}

TDecodedImage DecodeRows(std::span<const std::uint8_t> file, const TDecodeRequest& request, const TRowSink& rows) {
    const TRasterCap cap(request.MaxPixels);
    TDecodedImage image{DecodeBmp(file, request.KeepAlpha, &rows), {}};
    image.Streamed = image.Raster.Empty();
    return image;
}

void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions&) { WriteBmpStream(raster, stream); }

}  // namespace

const TFormatDescriptor BmpFormat{
    .Name = "bmp",
    .Title = "BMP",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = Decode,
    .DecodeRows = DecodeRows,
    .Encode = Encode,
    .Classic = true,
    .Dialog = {"BMP", "RadioButtonFBMP", 0, 0},
    .LogoOrder = 3,
};

}  // namespace pictorand
