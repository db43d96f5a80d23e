#include "formats/jxl/jxl_format.h"

#include <jxl/decode.h>
#include <jxl/encode.h>
#include <jxl/thread_parallel_runner.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "formats/common/graphic_ex.h"
#include "graphics/byte_writer.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

constexpr std::string_view FormatName = "JPEG XL";
constexpr int LargestSide = 1 << 30;
// libjxl's own default, a good trade of time and size.
constexpr int DefaultEffort = 7;
// The largest EXIF or XMP box read; a camera's are a few kilobytes.
constexpr std::size_t LargestMetadataBox = 16 << 20;

constexpr TFileExtension Extensions[] = {{"jxl"}};
constexpr std::string_view MimeTypes[] = {"image/jxl"};
// A bare code stream, and the container's first box.
constexpr std::uint8_t CodeStream[] = {0xFF, 0x0A};
constexpr std::uint8_t Container[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
constexpr TSignature Signatures[] = {{0, {CodeStream, sizeof CodeStream}}, {0, {Container, sizeof Container}}};

struct TDecoderDestroy {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
struct TEncoderDestroy {
    void operator()(JxlEncoder* encoder) const { JxlEncoderDestroy(encoder); }
};
struct TRunnerDestroy {
    void operator()(void* runner) const { JxlThreadParallelRunnerDestroy(runner); }
};
using TRunner = std::unique_ptr<void, TRunnerDestroy>;

[[noreturn]] void Invalid() { throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName)); }

// A thread pool for more than one thread, else none.
TRunner Runner(int threads) {
    if (threads <= 1) return nullptr;
    TRunner runner(JxlThreadParallelRunnerCreate(nullptr, static_cast<std::size_t>(threads)));
    if (!runner) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
    return runner;
}

// Whether the decoded samples are plain sRGB, which needs no profile.
bool IsSrgb(const JxlColorEncoding& encoding) {
    const bool grey = encoding.color_space == JXL_COLOR_SPACE_GRAY;
    return (grey || (encoding.color_space == JXL_COLOR_SPACE_RGB && encoding.primaries == JXL_PRIMARIES_SRGB)) &&
           encoding.white_point == JXL_WHITE_POINT_D65 && encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// One pass over the file: the header's facts and metadata, and the first frame's pixels
// when `decoded` is given.
class TJxlReader {
public:
    TJxlReader(std::span<const std::uint8_t> file, const TDecodeRequest* request, TDecodedImage* decoded)
        : decoder_(JxlDecoderCreate(nullptr)), request_(request), decoded_(decoded) {
        if (!decoder_) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
        int events = JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING;
        events |= decoded ? JXL_DEC_FULL_IMAGE : JXL_DEC_BOX;
        if (JxlDecoderSubscribeEvents(decoder_.get(), events) != JXL_DEC_SUCCESS) Invalid();
        if (decoded) {
            runner_ = Runner(request->Threads);
            if (runner_ && JxlDecoderSetParallelRunner(decoder_.get(), JxlThreadParallelRunner, runner_.get()) != JXL_DEC_SUCCESS) Invalid();
            JxlDecoderSetUnpremultiplyAlpha(decoder_.get(), JXL_TRUE);
        } else {
            // Brotli-compressed metadata boxes are handed over decompressed where the
            // library can; otherwise they are not read.
            decompressedBoxes_ = JxlDecoderSetDecompressBoxes(decoder_.get(), JXL_TRUE) == JXL_DEC_SUCCESS;
        }
        if (JxlDecoderSetInput(decoder_.get(), file.data(), file.size()) != JXL_DEC_SUCCESS) Invalid();
        JxlDecoderCloseInput(decoder_.get());
    }

    void Run() {
        for (;;) {
            switch (JxlDecoderProcessInput(decoder_.get())) {
                case JXL_DEC_BASIC_INFO: BasicInfo(); break;
                case JXL_DEC_COLOR_ENCODING: ColourEncoding(); break;
                case JXL_DEC_BOX: FinishBox(); StartBox(); break;
                case JXL_DEC_BOX_NEED_MORE_OUTPUT: GrowBox(); break;
                case JXL_DEC_NEED_IMAGE_OUT_BUFFER: ImageBuffer(); break;
                case JXL_DEC_FULL_IMAGE: Frame(); return;
                case JXL_DEC_SUCCESS: FinishBox(); if (decoded_ || !seenInfo_) Invalid(); return;
                case JXL_DEC_NEED_MORE_INPUT:
                    // A file cut short: its header still tells what the picture is.
                    if (decoded_ || !seenInfo_) Invalid();
                    return;
                default: Invalid();
            }
        }
    }

    TImageInfo Info;

private:
    void BasicInfo() {
        if (JxlDecoderGetBasicInfo(decoder_.get(), &basic_) != JXL_DEC_SUCCESS) Invalid();
        // The sizes are the stored picture's; the decoder turns it by its orientation.
        const bool turned = basic_.orientation >= JXL_ORIENT_TRANSPOSE;
        const std::int64_t width = turned ? basic_.ysize : basic_.xsize, height = turned ? basic_.xsize : basic_.ysize;
        if (width < 1 || height < 1 || width > MaxRasterSide || height > MaxRasterSide) throw EOutOfMemory(std::string(runtime_texts::ImageTooLarge));
        Info.Width = static_cast<int>(width);
        Info.Height = static_cast<int>(height);
        Info.HasAlpha = basic_.alpha_bits > 0;
        Info.BitsPerSample = static_cast<int>(std::max<std::uint32_t>(8, basic_.bits_per_sample));
        Info.Metadata.Orientation = 1;
        seenInfo_ = true;
        if (!decoded_) return;
        // The raster is made, and the cap checked, before any pixel is decoded.
        TBitmap& raster = decoded_->Raster;
        raster.SetPixelFormat(Info.HasAlpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
        raster.SetSize(Info.Width, Info.Height);
        raster.SetHasAlpha(Info.HasAlpha);
    }

    void ColourEncoding() {
        // Pictures coded in the library's own colour space come out as sRGB; others in
        // their own profile, handed over unless it is sRGB.
        if (!basic_.uses_original_profile) {
            JxlColorEncoding srgb;
            JxlColorEncodingSetToSRGB(&srgb, basic_.num_color_channels == 1 ? JXL_TRUE : JXL_FALSE);
            JxlDecoderSetPreferredColorProfile(decoder_.get(), &srgb);
        }
        JxlColorEncoding encoding;
        if (JxlDecoderGetColorAsEncodedProfile(decoder_.get(), nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) == JXL_DEC_SUCCESS &&
            IsSrgb(encoding))
            return;
        std::size_t size = 0;
        if (JxlDecoderGetICCProfileSize(decoder_.get(), nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS || size == 0 ||
            size > LargestMetadataBox)
            return;
        std::vector<std::uint8_t> profile(size);
        if (JxlDecoderGetColorAsICCProfile(decoder_.get(), nullptr, JXL_COLOR_PROFILE_TARGET_DATA, profile.data(), size) == JXL_DEC_SUCCESS)
            Info.Metadata.IccProfile = std::move(profile);
    }

    void StartBox() {
        JxlBoxType type;
        box_.clear();
        boxKind_ = nullptr;
        if (JxlDecoderGetBoxType(decoder_.get(), type, decompressedBoxes_ ? JXL_TRUE : JXL_FALSE) != JXL_DEC_SUCCESS) return;
        if (std::memcmp(type, "Exif", 4) == 0 && Info.Metadata.Exif.empty()) boxKind_ = &Info.Metadata.Exif;
        else if (std::memcmp(type, "xml ", 4) == 0 && Info.Metadata.Xmp.empty()) boxKind_ = &Info.Metadata.Xmp;
        if (!boxKind_) return;
        box_.resize(4096);
        if (JxlDecoderSetBoxBuffer(decoder_.get(), box_.data(), box_.size()) != JXL_DEC_SUCCESS) boxKind_ = nullptr;
    }

    void GrowBox() {
        if (!boxKind_) return;
        const std::size_t unused = JxlDecoderReleaseBoxBuffer(decoder_.get());
        const std::size_t used = box_.size() - unused;
        if (box_.size() * 2 > LargestMetadataBox) {
            boxKind_ = nullptr;
            return;
        }
        box_.resize(box_.size() * 2);
        if (JxlDecoderSetBoxBuffer(decoder_.get(), box_.data() + used, box_.size() - used) != JXL_DEC_SUCCESS) boxKind_ = nullptr;
    }

    void FinishBox() {
        if (!boxKind_) return;
        const std::size_t unused = JxlDecoderReleaseBoxBuffer(decoder_.get());
        box_.resize(box_.size() - unused);
        if (boxKind_ == &Info.Metadata.Exif) {
            // The EXIF box starts with the offset of its TIFF header, four bytes big-endian.
            if (box_.size() > 4) {
                const std::size_t offset = std::size_t{box_[0]} << 24 | std::size_t{box_[1]} << 16 | std::size_t{box_[2]} << 8 | box_[3];
                if (offset < box_.size() - 4) Info.Metadata.Exif.assign(box_.begin() + 4 + static_cast<std::ptrdiff_t>(offset), box_.end());
            }
        } else {
            *boxKind_ = std::move(box_);
        }
        boxKind_ = nullptr;
        box_.clear();
    }

    JxlPixelFormat PixelFormat() const { return {Info.HasAlpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0}; }

    void ImageBuffer() {
        const JxlPixelFormat format = PixelFormat();
        std::size_t size = 0;
        const std::size_t expected = static_cast<std::size_t>(Info.Width) * static_cast<std::size_t>(Info.Height) * format.num_channels;
        if (!seenInfo_ || JxlDecoderImageOutBufferSize(decoder_.get(), &format, &size) != JXL_DEC_SUCCESS || size != expected) Invalid();
        pixels_.resize(size);
        if (JxlDecoderSetImageOutBuffer(decoder_.get(), &format, pixels_.data(), pixels_.size()) != JXL_DEC_SUCCESS) Invalid();
    }

    void Frame() {
        if (pixels_.empty()) Invalid();
        TBitmap& raster = decoded_->Raster;
        const std::size_t channels = Info.HasAlpha ? 4 : 3;
        for (int y = 0; y < Info.Height; ++y) {
            const std::uint8_t* in = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Info.Width) * channels;
            std::uint8_t* out = raster.ScanLine(y);
            for (int x = 0; x < Info.Width; ++x, in += channels, out += channels) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                if (channels == 4) out[3] = in[3];
            }
        }
        if (basic_.have_animation) decoded_->Warnings.push_back(ReaderMessage(reader_messages::FirstFrameOfAnimation, FormatName));
    }

    std::unique_ptr<JxlDecoder, TDecoderDestroy> decoder_;
    TRunner runner_;
    const TDecodeRequest* request_;
    TDecodedImage* decoded_;
    JxlBasicInfo basic_{};
    bool seenInfo_ = false;
    bool decompressedBoxes_ = false;
    std::vector<std::uint8_t>* boxKind_ = nullptr;
    std::vector<std::uint8_t> box_;
    std::vector<std::uint8_t> pixels_;
};

TImageInfo Probe(std::span<const std::uint8_t> file) {
    try {
        TJxlReader reader(file, nullptr, nullptr);
        reader.Run();
        return reader.Info;
    } catch (const std::exception&) {
        return {};
    }
}

TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    const TRasterCap cap(request.MaxPixels);
    TDecodedImage decoded;
    TJxlReader reader(file, &request, &decoded);
    reader.Run();
    return decoded;
}

// The quality 1 to 100 onto the encoder's distance, as cjxl maps it: 90 is distance 1,
// visually lossless; 100 is 0.1.
float Distance(int quality) {
    const double q = std::clamp(quality, 1, 100);
    return static_cast<float>(q >= 30 ? 0.1 + (100 - q) * 0.09 : 6.4 + std::pow(2.5, (30 - q) / 5.0) / 6.25);
}

void Require(bool done, std::string_view what) {
    if (!done) throw EInvalidGraphic("JPEG XL: " + std::string(what));
}

void AddBox(JxlEncoder* encoder, const char* type, std::span<const std::uint8_t> bytes) {
    JxlBoxType boxType;
    std::memcpy(boxType, type, 4);
    Require(JxlEncoderAddBox(encoder, boxType, bytes.data(), bytes.size(), JXL_FALSE) == JXL_ENC_SUCCESS, "the metadata cannot be added");
}

void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions& options) {
    CheckField(FormatName, raster.Width(), 1, LargestSide, "width");
    CheckField(FormatName, raster.Height(), 1, LargestSide, "height");
    const bool alpha = raster.HasAlpha() && raster.PixelFormat() == TPixelFormat::pf32bit;
    const std::unique_ptr<JxlEncoder, TEncoderDestroy> encoder(JxlEncoderCreate(nullptr));
    if (!encoder) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
    const TRunner runner = Runner(options.Threads);
    if (runner) Require(JxlEncoderSetParallelRunner(encoder.get(), JxlThreadParallelRunner, runner.get()) == JXL_ENC_SUCCESS, "no threads");

    JxlBasicInfo basic;
    JxlEncoderInitBasicInfo(&basic);
    basic.xsize = static_cast<std::uint32_t>(raster.Width());
    basic.ysize = static_cast<std::uint32_t>(raster.Height());
    basic.bits_per_sample = 8;
    basic.num_color_channels = 3;
    basic.alpha_bits = alpha ? 8 : 0;
    basic.num_extra_channels = alpha ? 1 : 0;
    const TSourceMetadata* metadata = options.Metadata;
    const bool profile = metadata && !metadata->IccProfile.empty();
    // Lossless pictures, and those in a profile of their own, keep their samples' space.
    basic.uses_original_profile = options.Lossless || profile ? JXL_TRUE : JXL_FALSE;
    Require(JxlEncoderSetBasicInfo(encoder.get(), &basic) == JXL_ENC_SUCCESS, "the picture cannot be described");
    if (alpha) {
        JxlExtraChannelInfo channel;
        JxlEncoderInitExtraChannelInfo(JXL_CHANNEL_ALPHA, &channel);
        channel.bits_per_sample = 8;
        Require(JxlEncoderSetExtraChannelInfo(encoder.get(), 0, &channel) == JXL_ENC_SUCCESS, "the alpha cannot be described");
    }
    if (profile) {
        Require(JxlEncoderSetICCProfile(encoder.get(), metadata->IccProfile.data(), metadata->IccProfile.size()) == JXL_ENC_SUCCESS,
                "the colour profile cannot be carried");
    } else {
        JxlColorEncoding srgb;
        JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
        Require(JxlEncoderSetColorEncoding(encoder.get(), &srgb) == JXL_ENC_SUCCESS, "the colours cannot be described");
    }
    if (metadata && (!metadata->Exif.empty() || !metadata->Xmp.empty())) {
        Require(JxlEncoderUseBoxes(encoder.get()) == JXL_ENC_SUCCESS, "the metadata cannot be added");
        if (!metadata->Exif.empty()) {
            // The box starts with the offset of the TIFF header that follows it: none.
            std::vector<std::uint8_t> exif(4, 0);
            exif.insert(exif.end(), metadata->Exif.begin(), metadata->Exif.end());
            AddBox(encoder.get(), "Exif", exif);
        }
        if (!metadata->Xmp.empty()) AddBox(encoder.get(), "xml ", metadata->Xmp);
        JxlEncoderCloseBoxes(encoder.get());
    }

    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    Require(settings != nullptr, "the encoder cannot be set up");
    // Effort 1 to 10 onto the encoder's 1 to 9.
    const int effort = options.Effort > 0 ? static_cast<int>(std::lround(1 + (std::clamp(options.Effort, 1, 10) - 1) * 8.0 / 9.0)) : DefaultEffort;
    Require(JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, effort) == JXL_ENC_SUCCESS, "the effort is refused");
    if (options.Lossless) {
        Require(JxlEncoderSetFrameLossless(settings, JXL_TRUE) == JXL_ENC_SUCCESS, "lossless coding is refused");
    } else {
        Require(JxlEncoderSetFrameDistance(settings, Distance(options.Quality > 0 ? options.Quality : JxlFormat.DefaultQuality)) ==
                    JXL_ENC_SUCCESS,
                "the quality is refused");
    }

    // The raster's rows top first as RGB or RGBA.
    const std::size_t channels = alpha ? 4 : 3;
    TBitmap converted;
    const TBitmap* source = &raster;
    const TPixelFormat wanted = alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit;
    if (raster.PixelFormat() != wanted) {
        converted.Assign(raster);
        converted.SetPixelFormat(wanted);
        source = &converted;
    }
    std::vector<std::uint8_t> rows(channels * static_cast<std::size_t>(raster.Width()) * static_cast<std::size_t>(raster.Height()));
    std::uint8_t* out = rows.data();
    for (int y = 0; y < raster.Height(); ++y) {
        const std::uint8_t* in = source->ScanLine(y);
        for (int x = 0; x < raster.Width(); ++x, in += channels, out += channels) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            if (alpha) out[3] = in[3];
        }
    }
    const JxlPixelFormat format{static_cast<std::uint32_t>(channels), JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    Require(JxlEncoderAddImageFrame(settings, &format, rows.data(), rows.size()) == JXL_ENC_SUCCESS, "the encoder refused the picture");
    JxlEncoderCloseInput(encoder.get());

    std::vector<std::uint8_t> encoded(1 << 16);
    std::size_t used = 0;
    for (;;) {
        std::uint8_t* next = encoded.data() + used;
        std::size_t available = encoded.size() - used;
        const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder.get(), &next, &available);
        used = static_cast<std::size_t>(next - encoded.data());
        if (status == JXL_ENC_SUCCESS) break;
        Require(status == JXL_ENC_NEED_MORE_OUTPUT, "the encoder failed");
        encoded.resize(encoded.size() * 2);
    }
    stream.WriteBuffer(std::span<const std::uint8_t>(encoded.data(), used));
}

}  // namespace

const TFormatDescriptor JxlFormat{
    .Name = "jxl",
    .Title = "JPEG XL",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = Decode,
    .OrientsItself = true,
    .Encode = Encode,
    .Carries = {.Alpha = true, .Icc = true, .Exif = true, .Xmp = true},
    .Quality = TQualityKind::Range,
    .DefaultQuality = 90,
    .Lossless = true,
    .TakesEffort = true,
    .Dialog = {"JPEG XL", "RadioButtonFJXL", 3, 2},
    .LogoOrder = 7,
};

}  // namespace pictorand
