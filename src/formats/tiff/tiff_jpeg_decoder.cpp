#include "formats/tiff/tiff_jpeg_decoder.h"

#include <string>

#include "formats/common/jpeg_guard.h"
#include "formats/common/jpeg_memory_source.h"

namespace pictorand {

namespace {

using namespace reader_messages;

constexpr std::string_view CompressionFailed = "Cannot load image. Compression error found in TIF/TIFF file.";

}  // namespace

struct TTIFFJPEGDecoder::TState {
    jpeg_decompress_struct info{};
    TJpegErrorManager errors{};
    TJpegMemorySource source{};
    bool created = false;

    // A strip, tile or table is handed over at once; running past it is noted, not warned of.
    void Point(const std::uint8_t* data, std::size_t size) {
        AttachMemorySource(info, source, {data, size}, size == 0 ? 1 : size, false);
    }
};

namespace {
constexpr std::string_view JpegWarning = "JPEG warning";
void TiffJpegWarning(void* context, j_common_ptr) {
    auto* warn = static_cast<std::function<void(std::string_view)>*>(context);
    if (*warn) (*warn)(JpegWarning);
}
}  // namespace

TTIFFJPEGDecoder::TTIFFJPEGDecoder(const TImageProperties& properties, std::size_t width,
                                   std::function<void(std::string_view)> warn)
    : properties_(properties), width_(width), warn_(std::move(warn)), state_(std::make_unique<TState>()) {}

TTIFFJPEGDecoder::~TTIFFJPEGDecoder() { DecodeEnd(); }

void TTIFFJPEGDecoder::DecodeInit() {
    TState& s = *state_;
    InstallJpegErrorManager(s.errors);
    s.errors.warn = TiffJpegWarning;
    s.errors.context = &warn_;
    s.info.err = &s.errors.pub;
    if (JpegGuarded(s.errors, [&s] { jpeg_create_decompress(&s.info); }) != 0) throw EGraphicCompression(std::string(BogusTables));
    s.created = true;
    if (!properties_.JpegTables.empty()) {
        s.Point(properties_.JpegTables.data(), properties_.JpegTables.size());
        int result = 0;
        const int code = JpegGuarded(s.errors, [&s, &result] { result = jpeg_read_header(&s.info, FALSE); });
        if (code != 0 || result != JPEG_HEADER_TABLES_ONLY) throw EGraphicCompression(std::string(BogusTables));
    }
}

void TTIFFJPEGDecoder::Decode(const std::uint8_t*& source, std::uint8_t*& dest, std::size_t packedSize, std::size_t unpackedSize) {
    TState& s = *state_;
    if (!s.created) return;
    s.Point(source, packedSize);
    jpeg_decompress_struct& info = s.info;
    if (JpegGuarded(s.errors, [&info] { jpeg_read_header(&info, TRUE); }) != 0) throw EGraphicCompression(std::string(CompressionFailed));

    const TImageProperties& p = properties_;
    const std::size_t samples = p.PlanarConfig == 2 ? 1 : std::max<std::size_t>(p.SamplesPerPixel, 1);
    const std::size_t rowBytes = width_ * samples;
    if (rowBytes == 0 || unpackedSize % rowBytes != 0) throw EGraphicCompression(std::string(Fractional));
    const std::size_t rows = unpackedSize / rowBytes;
    if (info.image_width != width_ || info.image_height != rows) throw EGraphicCompression(std::string(StripSize));
    if (static_cast<std::size_t>(info.num_components) != samples) throw EGraphicCompression(std::string(ComponentCount));
    if (info.data_precision != p.BitsPerSample) throw EGraphicCompression(std::string(Precision));
    const int h = p.YCbCrSubsampling[0] ? p.YCbCrSubsampling[0] : 1, v = p.YCbCrSubsampling[1] ? p.YCbCrSubsampling[1] : 1;
    const bool ycbcr = p.ColorScheme == TColorScheme::YCbCr;
    if (p.PlanarConfig != 2) {
        const int expectH = ycbcr ? h : info.comp_info[0].h_samp_factor, expectV = ycbcr ? v : info.comp_info[0].v_samp_factor;
        bool ok = info.comp_info[0].h_samp_factor == expectH && info.comp_info[0].v_samp_factor == expectV;
        for (int c = 1; c < info.num_components; ++c) ok = ok && info.comp_info[c].h_samp_factor == 1 && info.comp_info[c].v_samp_factor == 1;
        if (!ok) throw EGraphicCompression(std::string(Sampling));
    } else if (info.comp_info[0].h_samp_factor != 1 || info.comp_info[0].v_samp_factor != 1) {
        throw EGraphicCompression(std::string(Sampling));
    }
    // The TIFF's photometric interpretation says how the components were stored.
    if (ycbcr) info.jpeg_color_space = JCS_YCbCr;
    else if (info.num_components == 3 && (p.ColorScheme == TColorScheme::Rgb || p.ColorScheme == TColorScheme::Rgba)) info.jpeg_color_space = JCS_RGB;
    else if (info.num_components == 4 && p.ColorScheme == TColorScheme::Cmyk) info.jpeg_color_space = JCS_CMYK;
    if (info.num_components == 3) info.out_color_space = JCS_EXT_BGR;

    std::uint8_t* out = dest;
    const bool failed = JpegGuarded(s.errors, [&info, out, rowBytes, rows] {
        jpeg_start_decompress(&info);
        for (std::size_t r = 0; r < rows && info.output_scanline < info.output_height; ++r) {
            JSAMPROW row = out + r * rowBytes;
            if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
        }
        jpeg_abort_decompress(&info);
    }) != 0;
    if (s.source.Ended && warn_) warn_(UnexpectedEnd);
    if (failed) throw EGraphicCompression(std::string(CompressionFailed));
}

void TTIFFJPEGDecoder::DecodeEnd() {
    if (!state_ || !state_->created) return;
    jpeg_destroy_decompress(&state_->info);
    state_->created = false;
}

}  // namespace pictorand
