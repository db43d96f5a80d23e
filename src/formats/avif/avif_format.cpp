#include "formats/avif/avif_format.h"

#include <avif/avif.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "formats/heic/heif_reader.h"
#include "graphics/byte_writer.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

constexpr std::string_view FormatName = "AVIF";
constexpr int LargestSide = 65536;
// Speed 7 of libavif's 0 (slowest) to 10 encodes a 12-megapixel photo in a few seconds
// on two cores; the speeds below it cost several times more for a few percent of size.
constexpr int DefaultSpeed = 7;
constexpr int FullChromaQuality = 90;

constexpr TFileExtension Extensions[] = {{"avif"}};
constexpr std::string_view MimeTypes[] = {"image/avif"};
constexpr std::uint8_t Avif[] = {'f', 't', 'y', 'p', 'a', 'v', 'i', 'f'};
constexpr std::uint8_t Avis[] = {'f', 't', 'y', 'p', 'a', 'v', 'i', 's'};
constexpr TSignature Signatures[] = {{4, {Avif, sizeof Avif}}, {4, {Avis, sizeof Avis}}};

TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) { return DecodeHeif(file, request, FormatName); }

struct TImageDestroy {
    void operator()(avifImage* image) const { avifImageDestroy(image); }
};
struct TEncoderDestroy {
    void operator()(avifEncoder* encoder) const { avifEncoderDestroy(encoder); }
};
struct TWritten {
    avifRWData Data = AVIF_DATA_EMPTY;
    ~TWritten() { avifRWDataFree(&Data); }
};

void Check(avifResult result, std::string_view what) {
    if (result != AVIF_RESULT_OK) throw EInvalidGraphic("AVIF: " + std::string(what) + ": " + avifResultToString(result));
}

// The quality 1 to 100 onto AV1's quantizers 63 (coarsest) to 0, as avifenc maps it.
int Quantizer(int quality) { return ((100 - std::clamp(quality, 1, 100)) * 63 + 50) / 100; }

void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    CheckField(FormatName, raster.Width(), 1, LargestSide, "width");
    CheckField(FormatName, raster.Height(), 1, LargestSide, "height");
    const bool alpha = raster.HasAlpha() && raster.PixelFormat() == TPixelFormat::pf32bit;
    TBitmap converted;
    const TBitmap* source = &raster;
    if (raster.PixelFormat() != TPixelFormat::pf24bit && !alpha) {
        converted.Assign(raster);
        converted.SetPixelFormat(TPixelFormat::pf24bit);
        source = &converted;
    }
    const int quality = options.Quality > 0 ? options.Quality : AvifFormat.DefaultQuality;
    // Colour at half resolution, as the web's photos are; at the highest qualities, where the
    // files are for keeping, at full resolution.
    const avifPixelFormat chroma = quality >= FullChromaQuality ? AVIF_PIXEL_FORMAT_YUV444 : AVIF_PIXEL_FORMAT_YUV420;
    const std::unique_ptr<avifImage, TImageDestroy> image(
        avifImageCreate(static_cast<std::uint32_t>(raster.Width()), static_cast<std::uint32_t>(raster.Height()), 8, chroma));
    if (!image) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
    // sRGB pictures, described by code points unless a profile is carried on.
    image->colorPrimaries = AVIF_COLOR_PRIMARIES_BT709;
    image->transferCharacteristics = AVIF_TRANSFER_CHARACTERISTICS_SRGB;
    image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_BT601;
    image->yuvRange = AVIF_RANGE_FULL;
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image.get());
    rgb.format = alpha ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_BGR;
    rgb.depth = 8;
    rgb.chromaDownsampling = AVIF_CHROMA_DOWNSAMPLING_AVERAGE;
    // Rows are taken where the raster keeps them, one after another at its stride.
    const std::size_t rowBytes = static_cast<std::size_t>(raster.Width()) * (alpha ? 4 : 3);
    std::vector<std::uint8_t> rows(rowBytes * static_cast<std::size_t>(raster.Height()));
    for (int y = 0; y < raster.Height(); ++y) std::memcpy(rows.data() + rowBytes * static_cast<std::size_t>(y), source->ScanLine(y), rowBytes);
    rgb.pixels = rows.data();
    rgb.rowBytes = static_cast<std::uint32_t>(rowBytes);
    Check(avifImageRGBToYUV(image.get(), &rgb), "the pixels cannot be converted");
    if (const TSourceMetadata* metadata = options.Metadata) {
        if (!metadata->IccProfile.empty()) avifImageSetProfileICC(image.get(), metadata->IccProfile.data(), metadata->IccProfile.size());
        if (!metadata->Exif.empty()) avifImageSetMetadataExif(image.get(), metadata->Exif.data(), metadata->Exif.size());
        if (!metadata->Xmp.empty()) avifImageSetMetadataXMP(image.get(), metadata->Xmp.data(), metadata->Xmp.size());
    }
    const std::unique_ptr<avifEncoder, TEncoderDestroy> encoder(avifEncoderCreate());
    if (!encoder) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
    const int quantizer = Quantizer(quality);
    encoder->minQuantizer = encoder->maxQuantizer = quantizer;
    encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = quantizer;
    // Effort 1 to 10 onto the speeds 9 to 0.
    encoder->speed = options.Effort > 0 ? 10 - std::clamp(options.Effort, 1, 10) : DefaultSpeed;
    encoder->maxThreads = std::max(1, options.Threads);
    TWritten written;
    Check(avifEncoderWrite(encoder.get(), image.get(), &written.Data), "the encoder failed");
    stream.WriteBuffer(std::span<const std::uint8_t>(written.Data.data, written.Data.size));
}

}  // namespace

const TFormatDescriptor AvifFormat{
    .Name = "avif",
    .Title = "AVIF",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = ProbeHeif,
    .Decode = Decode,
    .OrientsItself = true,
    .Encode = Encode,
    .Carries = {.Alpha = true, .Icc = true, .Exif = true, .Xmp = true},
    .Quality = TQualityKind::Range,
    .DefaultQuality = 60,
    .TakesEffort = true,
    .Dialog = {"AVIF", "RadioButtonFAVIF", 3, 1},
    .LogoOrder = 6,
};

}  // namespace pictorand
