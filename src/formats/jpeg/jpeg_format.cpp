#include "formats/jpeg/jpeg_format.h"

#include "formats/common/metadata_segments.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_metadata.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"jpg"}, {"jpeg"}, {"jpe", false, true}, {"jfif", false, true}, {"jif", false, true}};
constexpr std::string_view MimeTypes[] = {"image/jpeg"};
constexpr std::uint8_t Mark[] = {0xFF, 0xD8, 0xFF};
constexpr TSignature Signatures[] = {{0, {Mark, sizeof Mark}}};

TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info;
    try {
        const TJpegHeader header = ReadJpegHeader(file);
        info.Width = header.Width;
        info.Height = header.Height;
    } catch (const std::exception&) {
        return info;
    }
    info.Metadata = ReadJpegMetadata(file);
    return info;
}

// The picture whole, or given to rows a band at a time when set and the decode allows.
TDecodedImage DecodeTo(std::span<const std::uint8_t> file, const TDecodeRequest& request, const TRowSink* rows) {
    const TRasterCap cap(request.MaxPixels);
    TJPEGImage jpeg;
    jpeg.Options.CmykToBgr = request.CmykToBgr;
    jpeg.Options.Threads = request.Threads;
    jpeg.Options.RowsTo = rows;
    TSpanStream stream(file);
    jpeg.LoadFromStream(stream);
    if (request.ShrinkDenominator > 1) {
        jpeg.Options.ScaleFactor = request.ShrinkDenominator >= 8   ? TJPEGScale::Eighth
                                   : request.ShrinkDenominator >= 4 ? TJPEGScale::Quarter
                                                                    : TJPEGScale::Half;
        jpeg.Options.Thumbnail = true;
    }
    TDecodedImage image;
    jpeg.ReleaseTo(image.Raster);
    image.Warnings = std::move(jpeg.Warnings);
    image.Raster.Warnings.clear();
    image.Streamed = jpeg.Streamed();
    if (image.Streamed) image.Raster = TBitmap();
    return image;
}

TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) { return DecodeTo(file, request, nullptr); }

TDecodedImage DecodeRows(std::span<const std::uint8_t> file, const TDecodeRequest& request, const TRowSink& rows) {
    return DecodeTo(file, request, &rows);
}

void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    TJPEGImage jpeg;
    jpeg.Assign(raster);
    jpeg.Options.Quality = options.Quality;
    jpeg.EncodeJpeg();
    if (!options.Metadata) {
        jpeg.SaveToStream(stream);
        return;
    }
    TMemoryStream encoded;
    jpeg.SaveToStream(encoded);
    stream.WriteBuffer(JpegWithMetadata(encoded.Bytes(), *options.Metadata));
}

}  // namespace

const TFormatDescriptor JpegFormat{
    .Name = "jpg",
    .Title = "JPEG",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = Decode,
    .DecodeRows = DecodeRows,
    .Shrink = TShrinkOnLoad::Approximate,
    .Encode = Encode,
    .Carries = {.Icc = true, .Exif = true, .Xmp = true, .Iptc = true},
    .Quality = TQualityKind::ClassicList,
    .Classic = true,
    .Dialog = {"JPG", "RadioButtonFJPG", 0, 2},
};

}  // namespace pictorand
