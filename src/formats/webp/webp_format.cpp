#include "formats/webp/webp_format.h"

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "formats/common/exif.h"
#include "formats/common/graphic_ex.h"
#include "graphics/byte_writer.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

constexpr std::string_view FormatName = "WebP";
constexpr int LargestSide = 16383;
constexpr int DefaultMethod = 4;

constexpr TFileExtension Extensions[] = {{"webp"}};
constexpr std::string_view MimeTypes[] = {"image/webp"};
// "RIFF", the size, then "WEBPVP8" followed by " ", "L" or "X".
constexpr std::uint8_t Mark[] = {'W', 'E', 'B', 'P', 'V', 'P', '8'};
constexpr TSignature Signatures[] = {{8, {Mark, sizeof Mark}}};

struct TDemuxDelete {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};
struct TAnimDecoderDelete {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
struct TMuxDelete {
    void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
};

[[noreturn]] void Invalid() { throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName)); }

std::vector<std::uint8_t> Chunk(WebPDemuxer* demuxer, const char* fourcc) {
    WebPChunkIterator chunk;
    std::vector<std::uint8_t> bytes;
    if (WebPDemuxGetChunk(demuxer, fourcc, 1, &chunk)) {
        bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return bytes;
}

// The file's canvas, its metadata chunks and its frames.
struct TContainer {
    std::unique_ptr<WebPDemuxer, TDemuxDelete> Demuxer;
    int Width = 0, Height = 0, Frames = 0;
    bool Alpha = false;

    explicit TContainer(std::span<const std::uint8_t> file) {
        const WebPData data{file.data(), file.size()};
        Demuxer.reset(WebPDemux(&data));
        if (!Demuxer) Invalid();
        Width = static_cast<int>(WebPDemuxGetI(Demuxer.get(), WEBP_FF_CANVAS_WIDTH));
        Height = static_cast<int>(WebPDemuxGetI(Demuxer.get(), WEBP_FF_CANVAS_HEIGHT));
        Frames = static_cast<int>(WebPDemuxGetI(Demuxer.get(), WEBP_FF_FRAME_COUNT));
        Alpha = (WebPDemuxGetI(Demuxer.get(), WEBP_FF_FORMAT_FLAGS) & ALPHA_FLAG) != 0;
        // A lossless or simple file's alpha is found in the frame itself.
        WebPIterator frame;
        if (WebPDemuxGetFrame(Demuxer.get(), 1, &frame)) {
            Alpha = Alpha || frame.has_alpha;
            WebPDemuxReleaseIterator(&frame);
        }
        if (Width <= 0 || Height <= 0 || Frames <= 0) Invalid();
    }

    TSourceMetadata Metadata() const {
        TSourceMetadata metadata;
        metadata.IccProfile = Chunk(Demuxer.get(), "ICCP");
        metadata.Exif = Chunk(Demuxer.get(), "EXIF");
        // Some writers keep the JPEG segment's "Exif" mark before the TIFF structure.
        if (metadata.Exif.size() > 6 && std::memcmp(metadata.Exif.data(), "Exif\0\0", 6) == 0) metadata.Exif.erase(metadata.Exif.begin(), metadata.Exif.begin() + 6);
        metadata.Xmp = Chunk(Demuxer.get(), "XMP ");
        metadata.Orientation = ExifOrientation(metadata.Exif);
        return metadata;
    }
};

TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info;
    try {
        const TContainer container(file);
        info.Width = container.Width;
        info.Height = container.Height;
        info.HasAlpha = container.Alpha;
        info.Frames = container.Frames;
        info.Metadata = container.Metadata();
    } catch (const std::exception&) {
        return {};
    }
    return info;
}

// The first frame on the canvas, as an animation shows it first.
TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    const TRasterCap cap(request.MaxPixels);
    const TContainer container(file);
    TDecodedImage result;
    TBitmap& raster = result.Raster;
    // The canvas is checked against the cap before the decoder allocates its own.
    raster.SetPixelFormat(container.Alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    raster.SetSize(container.Width, container.Height);
    raster.SetHasAlpha(container.Alpha);
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) Invalid();
    options.color_mode = MODE_BGRA;
    options.use_threads = request.Threads > 1;
    const WebPData data{file.data(), file.size()};
    const std::unique_ptr<WebPAnimDecoder, TAnimDecoderDelete> decoder(WebPAnimDecoderNew(&data, &options));
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!decoder || !WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas) Invalid();
    const std::size_t channels = container.Alpha ? 4 : 3;
    for (int y = 0; y < container.Height; ++y) {
        const std::uint8_t* in = canvas + static_cast<std::size_t>(y) * static_cast<std::size_t>(container.Width) * 4;
        std::uint8_t* out = raster.ScanLine(y);
        for (int x = 0; x < container.Width; ++x, in += 4, out += channels) std::memcpy(out, in, channels);
    }
    if (container.Frames > 1) result.Warnings.push_back(ReaderMessage(reader_messages::FirstFrameOnly, std::to_string(container.Frames)));
    return result;
}

// The raster's rows top first, four bytes a pixel for WebP's import.
std::vector<std::uint8_t> BgraRows(const TBitmap& raster) {
    TBitmap converted;
    const TBitmap* source = &raster;
    if (raster.PixelFormat() != TPixelFormat::pf32bit) {
        converted.Assign(raster);
        converted.SetPixelFormat(TPixelFormat::pf32bit);
        source = &converted;
    }
    const std::size_t row = static_cast<std::size_t>(raster.Width()) * 4;
    std::vector<std::uint8_t> rows(row * static_cast<std::size_t>(raster.Height()));
    for (int y = 0; y < raster.Height(); ++y) {
        std::uint8_t* out = rows.data() + static_cast<std::size_t>(y) * row;
        std::memcpy(out, source->ScanLine(y), row);
        if (!raster.HasAlpha())
            for (std::size_t x = 3; x < row; x += 4) out[x] = 255;
    }
    return rows;
}

struct TWrittenWebP {
    WebPMemoryWriter Writer;
    WebPPicture Picture;
    TWrittenWebP() {
        WebPMemoryWriterInit(&Writer);
        WebPPictureInit(&Picture);
    }
    ~TWrittenWebP() {
        WebPPictureFree(&Picture);
        WebPMemoryWriterClear(&Writer);
    }
};

void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    CheckField(FormatName, raster.Width(), 1, LargestSide, "width");
    CheckField(FormatName, raster.Height(), 1, LargestSide, "height");
    WebPConfig config;
    if (!WebPConfigInit(&config)) throw EInvalidGraphic("WebP: the encoder cannot be set up");
    config.quality = static_cast<float>(options.Quality > 0 ? options.Quality : WebpFormat.DefaultQuality);
    config.lossless = options.Lossless ? 1 : 0;
    // Effort 1 to 10 onto the methods 0 (fastest) to 6 (smallest).
    config.method = options.Effort > 0 ? static_cast<int>(std::lround((std::clamp(options.Effort, 1, 10) - 1) * 6.0 / 9.0)) : DefaultMethod;
    config.exact = 0;
    config.thread_level = options.Threads > 1 ? 1 : 0;
    TWrittenWebP written;
    written.Picture.width = raster.Width();
    written.Picture.height = raster.Height();
    written.Picture.use_argb = 1;
    const std::vector<std::uint8_t> rows = BgraRows(raster);
    const bool imported = raster.HasAlpha() ? WebPPictureImportBGRA(&written.Picture, rows.data(), raster.Width() * 4)
                                            : WebPPictureImportBGRX(&written.Picture, rows.data(), raster.Width() * 4);
    if (!imported) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
    written.Picture.writer = WebPMemoryWrite;
    written.Picture.custom_ptr = &written.Writer;
    if (!WebPEncode(&config, &written.Picture)) throw EInvalidGraphic("WebP: the encoder failed, error " + std::to_string(written.Picture.error_code));
    const std::span<const std::uint8_t> encoded(written.Writer.mem, written.Writer.size);
    const TSourceMetadata* metadata = options.Metadata;
    if (!metadata || (metadata->IccProfile.empty() && metadata->Exif.empty() && metadata->Xmp.empty())) {
        stream.WriteBuffer(encoded);
        return;
    }
    // The profile, EXIF and XMP go into chunks of their own beside the picture.
    const WebPData image{encoded.data(), encoded.size()};
    const std::unique_ptr<WebPMux, TMuxDelete> mux(WebPMuxCreate(&image, 1));
    if (!mux) throw EInvalidGraphic("WebP: the metadata cannot be added");
    const auto set = [&](const char* fourcc, const std::vector<std::uint8_t>& bytes) {
        const WebPData chunk{bytes.data(), bytes.size()};
        if (!bytes.empty() && WebPMuxSetChunk(mux.get(), fourcc, &chunk, 1) != WEBP_MUX_OK) throw EInvalidGraphic("WebP: the metadata cannot be added");
    };
    set("ICCP", metadata->IccProfile);
    set("EXIF", metadata->Exif);
    set("XMP ", metadata->Xmp);
    WebPData assembled;
    WebPDataInit(&assembled);
    if (WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) throw EInvalidGraphic("WebP: the metadata cannot be added");
    struct TAssembledClear {
        WebPData* data;
        ~TAssembledClear() { WebPDataClear(data); }
    } clear{&assembled};
    stream.WriteBuffer(std::span<const std::uint8_t>(assembled.bytes, assembled.size));
}

}  // namespace

const TFormatDescriptor WebpFormat{
    .Name = "webp",
    .Title = "WebP",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = Decode,
    .Encode = Encode,
    .Carries = {.Alpha = true, .Icc = true, .Exif = true, .Xmp = true, .Animation = true},
    .Quality = TQualityKind::Range,
    .DefaultQuality = 80,
    .Lossless = true,
    .TakesEffort = true,
    .Dialog = {"WebP", "RadioButtonFWEBP", 3, 0},
    .LogoOrder = 5,
};

}  // namespace pictorand
