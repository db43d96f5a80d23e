#include "formats/jpeg/jpeg_codec.h"

#include <algorithm>
#include <optional>
#include <memory>
#include <string>
#include <thread>

#include "formats/common/jpeg_guard.h"
#include "formats/common/graphic_ex.h"
#include "formats/common/jpeg_memory_source.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {

constexpr std::string_view JpegErrorText = "JPEG error #%d";
constexpr std::size_t BufferSize = 4096;
constexpr int QuantizedColors = 236;

void Check(const TJpegErrorManager& errors, int code) {
    if (code == RefusedCode) throw EInvalidGraphic(errors.text);
    // libjpeg built for 8 bits says only "Unsupported JPEG data precision 12".
    if (code == JERR_BAD_PRECISION) throw EInvalidGraphic(std::string("Cannot load image. A JPEG of more than 8 bits a sample is not supported (") + errors.text + ").");
    if (code != 0) throw EJPEG(code, errors.text);
}

// Real progressive pictures have a few scans, a dozen or two at the most; every scan is a
// pass over the whole picture, and a file of a few kilobytes can repeat one hundreds of
// times. libjpeg asks its progress monitor between the steps of its reading, which stops
// such a file, as djpeg's -maxscans does.
constexpr int MaxScans = 100;
constexpr char TooManyScans[] = "JPEG error: the file has more than 100 scans, far more than any picture needs";

struct TScanLimit {
    jpeg_progress_mgr pub;
};

extern "C" void LimitScans(j_common_ptr info) {
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxScans) RefuseJpeg(info, TooManyScans);
}

// The text the library's table holds for a code, placeholders unfilled.
std::string TableText(int code) {
    jpeg_error_mgr table;
    jpeg_std_error(&table);
    if (code <= 0 || code > table.last_jpeg_message || !table.jpeg_message_table[code]) return {};
    return table.jpeg_message_table[code];
}

// A decompressor over bytes in memory, destroyed with its owner.
class TDecompressor {
public:
    explicit TDecompressor(std::span<const std::uint8_t> data) {
        InstallJpegErrorManager(errors_);
        info_.err = &errors_.pub;
        Check(errors_, JpegGuarded(errors_, [this] { jpeg_create_decompress(&info_); }));
        created_ = true;
        // The whole file, handed out in blocks of up to 4096 bytes.
        AttachMemorySource(info_, source_, data, BufferSize, true);
        scans_.pub.progress_monitor = LimitScans;
        info_.progress = &scans_.pub;
    }
    ~TDecompressor() {
        if (created_) jpeg_destroy_decompress(&info_);
    }
    TDecompressor(const TDecompressor&) = delete;
    TDecompressor& operator=(const TDecompressor&) = delete;

    jpeg_decompress_struct& Info() { return info_; }
    TJpegErrorManager& Errors() { return errors_; }

private:
    jpeg_decompress_struct info_{};
    TJpegErrorManager errors_{};
    TJpegMemorySource source_{};
    TScanLimit scans_{};
    bool created_ = false;
};

// Destination: a 4096-byte buffer emptied into a byte vector.
struct TDestination {
    jpeg_destination_mgr pub;
    TByteBuffer* bytes;
    JOCTET buffer[BufferSize];
};

bool Append(TDestination& destination, std::size_t count) {
    try {
        destination.bytes->insert(destination.bytes->end(), destination.buffer, destination.buffer + count);
        return true;
    } catch (...) {
        return false;
    }
}

extern "C" void InitDestination(j_compress_ptr info) {
    auto* destination = reinterpret_cast<TDestination*>(info->dest);
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = BufferSize;
}
extern "C" boolean EmptyOutputBuffer(j_compress_ptr info) {
    auto* destination = reinterpret_cast<TDestination*>(info->dest);
    if (!Append(*destination, BufferSize)) ERREXIT(info, JERR_FILE_WRITE);
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = BufferSize;
    return TRUE;
}
extern "C" void TermDestination(j_compress_ptr info) {
    auto* destination = reinterpret_cast<TDestination*>(info->dest);
    if (!Append(*destination, BufferSize - destination->pub.free_in_buffer)) ERREXIT(info, JERR_FILE_WRITE);
}

class TCompressor {
public:
    explicit TCompressor(TByteBuffer& bytes) {
        InstallJpegErrorManager(errors_);
        info_.err = &errors_.pub;
        Check(errors_, JpegGuarded(errors_, [this] { jpeg_create_compress(&info_); }));
        created_ = true;
        destination_ = std::make_unique<TDestination>();
        destination_->pub.init_destination = InitDestination;
        destination_->pub.empty_output_buffer = EmptyOutputBuffer;
        destination_->pub.term_destination = TermDestination;
        destination_->bytes = &bytes;
        info_.dest = &destination_->pub;
    }
    ~TCompressor() {
        if (created_) jpeg_destroy_compress(&info_);
    }
    TCompressor(const TCompressor&) = delete;
    TCompressor& operator=(const TCompressor&) = delete;

    jpeg_compress_struct& Info() { return info_; }
    TJpegErrorManager& Errors() { return errors_; }

private:
    jpeg_compress_struct info_{};
    TJpegErrorManager errors_{};
    std::unique_ptr<TDestination> destination_;
    bool created_ = false;
};

}  // namespace

EJPEG::EJPEG(int messageCode, std::string_view libraryText)
    : EInvalidGraphic(FormatMessage(JpegErrorText, messageCode) + ": " +
                      (libraryText.empty() ? TableText(messageCode) : std::string(libraryText))),
      code_(messageCode) {}

TJpegHeader ReadJpegHeader(std::span<const std::uint8_t> data) {
    TDecompressor decompressor(data);
    jpeg_decompress_struct& info = decompressor.Info();
    Check(decompressor.Errors(), JpegGuarded(decompressor.Errors(), [&info] { jpeg_read_header(&info, TRUE); }));
    return {static_cast<int>(info.image_width), static_cast<int>(info.image_height),
            info.jpeg_color_space == JCS_GRAYSCALE, jpeg_has_multiple_scans(&info) != 0};
}

namespace {

// Reads the header and sets the decompressor up for the parameters.
void Configure(jpeg_decompress_struct& info, const TJpegDecodeParameters& p) {
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(p.ScaleDenominator);
    info.do_block_smoothing = p.Smoothing ? TRUE : FALSE;
    if (p.Grayscale) info.out_color_space = JCS_GRAYSCALE;
    if (info.out_color_space == JCS_RGB) info.out_color_space = JCS_EXT_BGR;
    if (p.Depth8 || info.out_color_space == JCS_GRAYSCALE) {
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = QuantizedColors;
    }
    if (p.PreferSpeed) {
        info.dct_method = JDCT_IFAST;
        info.two_pass_quantize = FALSE;
        info.dither_mode = JDITHER_ORDERED;
    } else {
        info.dct_method = JDCT_FLOAT;
    }
    if (p.Thumbnail) {
        info.dct_method = JDCT_ISLOW;
        info.do_fancy_upsampling = FALSE;
    }
    jpeg_calc_output_dimensions(&info);
}

// Where decoded rows go: the raster's first row and the signed step between rows, or the
// bands rows are handed over in; and for four-component pictures a row of their own with
// the caller's conversion, if any.
struct TRowTarget {
    std::uint8_t* Top;
    std::ptrdiff_t Stride;
    std::uint8_t* CmykBuffer;
    const TCmykToBgr* Convert;
    TRowBands* Bands = nullptr;
};

void ConvertCmykRow(const jpeg_decompress_struct& info, const TRowTarget& target, std::uint8_t* out);

// Reads rows until the decompressor's next row is last (or its data ends).
void ReadRows(jpeg_decompress_struct& info, const TRowTarget& target, JDIMENSION last) {
    while (info.output_scanline < last) {
        const JDIMENSION at = info.output_scanline;
        std::uint8_t* out = target.Bands ? target.Bands->Row(static_cast<int>(at)) : target.Top + static_cast<std::ptrdiff_t>(at) * target.Stride;
        JSAMPROW row = target.CmykBuffer ? target.CmykBuffer : out;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
        if (target.CmykBuffer) ConvertCmykRow(info, target, out);
        if (target.Bands) target.Bands->Done(static_cast<int>(at));
    }
    // Rows never read are 0, in bands (which take every row) as in a whole raster.
    if (target.Bands) target.Bands->ZeroRowsFrom(static_cast<int>(info.output_scanline));
}

// A row of four components, from the decompressor's own row, into out.
void ConvertCmykRow(const jpeg_decompress_struct& info, const TRowTarget& target, std::uint8_t* out) {
    std::uint8_t* cmyk = target.CmykBuffer;
    if (*target.Convert) {
        // The samples are stored inverted: 255 is no ink.
        for (std::size_t i = 0; i < 4 * static_cast<std::size_t>(info.output_width); ++i) cmyk[i] = static_cast<std::uint8_t>(255 - cmyk[i]);
        (*target.Convert)(cmyk, out, info.output_width);
        return;
    }
    for (JDIMENSION x = 0; x < info.output_width; ++x) {
        const std::uint8_t* in = cmyk + 4 * x;
        out[3 * x] = static_cast<std::uint8_t>(in[2] * in[3] / 255);
        out[3 * x + 1] = static_cast<std::uint8_t>(in[1] * in[3] / 255);
        out[3 * x + 2] = static_cast<std::uint8_t>(in[0] * in[3] / 255);
    }
}

// Decoded pictures of at most this many bytes may be held whole to be decoded in two parts.
constexpr std::size_t HeldWholeUpTo = std::size_t{256} << 20;
// Pictures of at least this many pixels are decoded in two parts at once.
constexpr std::int64_t SplitPixels = 4'000'000;
// The share of the rows the first part decodes. The second part still has to read past
// the first part's entropy-coded data, which costs a fraction of decoding it, so the
// parts take about as long when the first holds a little more than half the rows.
constexpr double FirstPartShare = 0.55;

void CountWarning(void* count, j_common_ptr) { ++*static_cast<int*>(count); }

// The warnings of a decode, and the row of blocks whose data a file cut short lacks.
struct TDecodeWarnings {
    const jpeg_decompress_struct* Info = nullptr;
    int Count = 0;
    std::optional<JDIMENSION> EndedInRow;
};

void NoteWarning(void* context, j_common_ptr common) {
    auto* warnings = static_cast<TDecodeWarnings*>(context);
    ++warnings->Count;
    if (common->err->msg_code == JWRN_JPEG_EOF && !warnings->EndedInRow) warnings->EndedInRow = warnings->Info->input_iMCU_row;
}

// What a user is told of a file whose data ran out: the picture's rows its whole rows of
// blocks held, or that later scans are missing.
std::string EarlyEndText(const jpeg_decompress_struct& info, bool multiScan, JDIMENSION endedInRow) {
    if (multiScan) return std::string(reader_messages::EndsEarlyScans);
    const std::uint64_t rows = std::uint64_t{endedInRow} * static_cast<std::uint64_t>(info.max_v_samp_factor) * DCTSIZE;
    return ReaderMessage(reader_messages::EndsEarlyRows, std::to_string(std::min<std::uint64_t>(rows, info.image_height)),
                         std::to_string(info.image_height));
}

// Decodes rows first .. end of the picture with a decompressor of its own, which skips the
// rows before them; answers whether it did so without an error or warning.
bool DecodeLowerPart(std::span<const std::uint8_t> data, const TJpegDecodeParameters& p, std::uint8_t* top, std::ptrdiff_t stride,
                     JDIMENSION first) {
    TDecompressor decompressor(data);
    jpeg_decompress_struct& info = decompressor.Info();
    int warnings = 0;
    decompressor.Errors().warn = CountWarning;
    decompressor.Errors().context = &warnings;
    const int code = JpegGuarded(decompressor.Errors(), [&info, &p, top, stride, first] {
        Configure(info, p);
        jpeg_start_decompress(&info);
        if (jpeg_skip_scanlines(&info, first) != first) return;
        ReadRows(info, {top, stride, nullptr, nullptr}, info.output_height);
        jpeg_finish_decompress(&info);
    });
    return code == 0 && warnings == 0 && info.output_scanline == info.output_height;
}

}  // namespace

TBitmap DecodeJpeg(std::span<const std::uint8_t> data, const TJpegDecodeParameters& p) {
    TDecompressor decompressor(data);
    jpeg_decompress_struct& info = decompressor.Info();
    Check(decompressor.Errors(), JpegGuarded(decompressor.Errors(), [&info, &p] { Configure(info, p); }));
    if (info.output_width > MaxRasterSide || info.output_height > MaxRasterSide) throw EJPEG(JERR_IMAGE_TOO_BIG);
    // libjpeg allocates for the whole stored picture (a progressive file keeps all its
    // coefficients) before the raster is made: refuse one over the raster cap, or one its
    // data could not fill, first.
    const std::int64_t stored = std::int64_t{info.image_width} * info.image_height;
    if (stored > RasterCap() ||
        !DataCanFill(stored * info.num_components, static_cast<std::int64_t>(data.size()), expansion::Jpeg)) {
        throw EJPEG(JERR_IMAGE_TOO_BIG);
    }
    const bool indexed = info.quantize_colors != 0;
    const bool grey = info.out_color_space == JCS_GRAYSCALE;
    // Four-component files (Adobe's inverted CMYK) come out through a row of their own.
    const bool cmyk = info.out_color_space == JCS_CMYK;
    if (!indexed && !grey && !cmyk && info.out_color_space != JCS_EXT_BGR) throw EJPEG(JERR_CONVERSION_NOTIMPL);
    std::vector<std::uint8_t> cmykRow(cmyk ? 4 * static_cast<std::size_t>(info.output_width) : 0);
    // A large single-scan colour picture is decoded in two parts at once, whose rows are
    // those of one decompressor. A part that meets a warning (damaged or cut-off data)
    // has the whole picture decoded again in one part, so such files give what they
    // always gave.
    // Asked while the header is fresh: the library answers only between start and finish.
    const bool multiScan = jpeg_has_multiple_scans(&info) != 0;
    const std::int64_t pixels = std::int64_t{info.output_width} * info.output_height;
    // Rows go to the sink where the decode gives them in turn, except that a picture small
    // enough to hold keeps its decode in two parts; the two-pass colour quantiser needs
    // the whole picture first.
    const bool twoPass = indexed && !grey && info.two_pass_quantize;
    const bool streamed = p.RowsTo && !twoPass &&
                          (p.Threads <= 1 || pixels * info.output_components > static_cast<std::int64_t>(HeldWholeUpTo));
    const bool split = p.Threads > 1 && !indexed && !cmyk && !multiScan && !streamed && pixels >= SplitPixels;
    if (p.Streamed) *p.Streamed = streamed;
    TDecodeWarnings warnings;
    warnings.Info = &info;
    decompressor.Errors().warn = NoteWarning;
    decompressor.Errors().context = &warnings;

    Check(decompressor.Errors(), JpegGuarded(decompressor.Errors(), [&info] { jpeg_start_decompress(&info); }));
    TBitmap bitmap;
    bitmap.SetPixelFormat(indexed ? TPixelFormat::pf8bit : TPixelFormat::pf24bit);
    const int height = static_cast<int>(info.output_height);
    bitmap.SetSize(static_cast<int>(info.output_width), streamed ? TRowBands::RowsFor(height) : height);
    if (indexed && info.colormap) {
        TPalette palette(static_cast<std::size_t>(info.actual_number_of_colors));
        for (std::size_t i = 0; i < palette.size(); ++i) {
            // The colour map follows the output order: blue first for colour output.
            const JSAMPLE first = info.colormap[0][i];
            palette[i] = grey ? TRGBQuad{first, first, first, 0}
                              : TRGBQuad{info.colormap[0][i], info.colormap[1][i], info.colormap[2][i], 0};
        }
        bitmap.SetPalette(std::move(palette));
    }
    std::uint8_t* top = bitmap.ScanLine(0);
    const std::ptrdiff_t stride = bitmap.Height() > 1 ? bitmap.ScanLine(1) - bitmap.ScanLine(0) : 0;
    std::optional<TRowBands> bands;
    if (streamed) bands.emplace(bitmap, *p.RowsTo, height, true);
    const TRowTarget target{top, stride, cmykRow.empty() ? nullptr : cmykRow.data(), &p.CmykToBgr, bands ? &*bands : nullptr};
    if (split) {
        const auto cut = static_cast<JDIMENSION>(info.output_height * FirstPartShare) / 16 * 16;
        bool lowerDecoded = false;
        int code = 0;
        {
            std::jthread lower([&] { lowerDecoded = DecodeLowerPart(data, p, top, stride, cut); });
            code = JpegGuarded(decompressor.Errors(), [&info, &target, cut] {
                ReadRows(info, target, cut);
                jpeg_abort_decompress(&info);
            });
        }
        if (code == 0 && warnings.Count == 0 && lowerDecoded) return bitmap;
        TJpegDecodeParameters whole = p;
        whole.Threads = 1;
        return DecodeJpeg(data, whole);
    }
    Check(decompressor.Errors(), JpegGuarded(decompressor.Errors(), [&info, &target] {
        ReadRows(info, target, info.output_height);
        jpeg_finish_decompress(&info);
    }));
    if (warnings.EndedInRow && p.Warnings) p.Warnings->push_back(EarlyEndText(info, multiScan, *warnings.EndedInRow));
    return bitmap;
}

TByteBuffer EncodeJpeg(const TBitmap& bitmap, const TJpegEncodeParameters& p) {
    TByteBuffer bytes;
    if (bitmap.Width() == 0 || bitmap.Height() == 0) return bytes;
    const TBitmap* source = &bitmap;
    TBitmap converted;
    if (bitmap.PixelFormat() != TPixelFormat::pf24bit) {
        converted = bitmap;
        converted.SetPixelFormat(TPixelFormat::pf24bit);
        source = &converted;
    }
    TCompressor compressor(bytes);
    jpeg_compress_struct& info = compressor.Info();
    const std::uint8_t* top = source->ScanLine(0);
    const std::ptrdiff_t stride = source->Height() > 1 ? source->ScanLine(1) - source->ScanLine(0) : 0;
    const auto width = static_cast<JDIMENSION>(source->Width());
    const auto height = static_cast<JDIMENSION>(source->Height());
    Check(compressor.Errors(), JpegGuarded(compressor.Errors(), [&info, &p, top, stride, width, height] {
        info.image_width = width;
        info.image_height = height;
        info.input_components = 3;
        // Rows are blue, green, red; the library converts them as it would red-green-blue.
        info.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&info);
        info.dct_method = JDCT_FLOAT;
        jpeg_set_quality(&info, p.Quality, TRUE);
        if (p.Grayscale) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
        if (p.Progressive) jpeg_simple_progression(&info);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(top + static_cast<std::ptrdiff_t>(info.next_scanline) * stride);
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
    }));
    return bytes;
}

}  // namespace pictorand
