#include "formats/raw/raw_format.h"

#include <libraw/libraw.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "formats/common/exif.h"
#include "formats/common/graphic_ex.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

constexpr std::string_view FormatName = "camera raw";

constexpr TFileExtension Extensions[] = {{"dng"}, {"cr2"}, {"cr3"}, {"nef"}, {"arw"}, {"raf"}, {"orf"}, {"rw2"}, {"pef"}, {"srw"}};
constexpr std::string_view MimeTypes[] = {"image/x-adobe-dng", "image/x-canon-cr2", "image/x-canon-cr3", "image/x-nikon-nef", "image/x-sony-arw", "image/x-fuji-raf", "image/x-olympus-orf", "image/x-panasonic-rw2", "image/x-pentax-pef", "image/x-samsung-srw"};
// The raws with marks of their own; the others are TIFF structures, known by their names.
constexpr std::uint8_t Cr2[] = {'I', 'I', 42, 0, 0x10, 0, 0, 0, 'C', 'R', 2, 0};
constexpr std::uint8_t Cr3[] = {'f', 't', 'y', 'p', 'c', 'r', 'x', ' '};
constexpr std::uint8_t Raf[] = {'F', 'U', 'J', 'I', 'F', 'I', 'L', 'M', 'C', 'C', 'D', '-', 'R', 'A', 'W'};
constexpr std::uint8_t OrfIntel[] = {'I', 'I', 'R', 'O'};
constexpr std::uint8_t OrfIntelS[] = {'I', 'I', 'R', 'S'};
constexpr std::uint8_t OrfMotorola[] = {'M', 'M', 'O', 'R'};
constexpr std::uint8_t Rw2[] = {'I', 'I', 'U', 0};
constexpr TSignature Signatures[] = {{0, {Cr2, sizeof Cr2}},          {4, {Cr3, sizeof Cr3}},       {0, {Raf, sizeof Raf}},
                                     {0, {OrfIntel, sizeof OrfIntel}}, {0, {OrfIntelS, sizeof OrfIntelS}},
                                     {0, {OrfMotorola, sizeof OrfMotorola}}, {0, {Rw2, sizeof Rw2}}};

// LibRaw's buffer is read, never written; its interface is older than const.
void* Bytes(std::span<const std::uint8_t> file) { return const_cast<std::uint8_t*>(file.data()); }

struct TMemImageClear {
    void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};

void Check(int code) {
    if (code == LIBRAW_SUCCESS) return;
    if (code == LIBRAW_UNSUFFICIENT_MEMORY) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
    throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName) + " " + libraw_strerror(code));
}

// The picture's size as shown: the raw's flip 5 and 6 turn it by a quarter.
std::pair<int, int> ShownSize(const LibRaw& raw) {
    const libraw_image_sizes_t& sizes = raw.imgdata.sizes;
    const bool turned = (sizes.flip & 4) != 0;
    return turned ? std::pair{int{sizes.height}, int{sizes.width}} : std::pair{int{sizes.width}, int{sizes.height}};
}

// Opens the file, leaving LibRaw with its header read; too large a picture is refused here.
std::unique_ptr<LibRaw> Open(std::span<const std::uint8_t> file) {
    auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    Check(raw->open_buffer(Bytes(file), file.size()));
    const auto [width, height] = ShownSize(*raw);
    if (width <= 0 || height <= 0) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
    return raw;
}

TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info;
    try {
        const auto raw = Open(file);
        std::tie(info.Width, info.Height) = ShownSize(*raw);
        info.BitsPerSample = 16;
        // The raws that are TIFF structures keep the camera's descriptive tags as a TIFF does.
        info.Metadata.Exif = ExifFromTiffTags(file);
        info.Metadata.Orientation = 1;
    } catch (const std::exception&) {
        return {};
    }
    return info;
}

TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    const TRasterCap cap(request.MaxPixels);
    const auto raw = Open(file);
    libraw_output_params_t& params = raw->imgdata.params;
    params.use_camera_wb = 1;
    params.output_color = 1;  // sRGB primaries, and sRGB's own curve rather than BT.709's
    params.gamm[0] = 1 / 2.4;
    params.gamm[1] = 12.92;
    params.output_bps = 8;
    params.half_size = request.ShrinkDenominator >= 2 ? 1 : 0;
    TDecodedImage result;
    TBitmap& raster = result.Raster;
    // The raster is made, and the cap checked, before the raw data is unpacked.
    const auto [width, height] = ShownSize(*raw);
    raster.SetPixelFormat(TPixelFormat::pf24bit);
    raster.SetSize(params.half_size ? (width + 1) / 2 : width, params.half_size ? (height + 1) / 2 : height);
    Check(raw->unpack());
    Check(raw->dcraw_process());
    int code = LIBRAW_SUCCESS;
    const std::unique_ptr<libraw_processed_image_t, TMemImageClear> image(raw->dcraw_make_mem_image(&code));
    Check(code);
    if (!image || image->type != LIBRAW_IMAGE_BITMAP || image->bits != 8 || (image->colors != 3 && image->colors != 1))
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
    const std::size_t colors = image->colors;
    const std::size_t expected = std::size_t{image->width} * image->height * colors;
    if (image->data_size < expected) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
    // Half-size decoding rounds as the camera's layout has it, so the raster takes the
    // size the picture came out at.
    if (image->width != raster.Width() || image->height != raster.Height()) raster.SetSize(image->width, image->height);
    for (int y = 0; y < raster.Height(); ++y) {
        const std::uint8_t* in = image->data + static_cast<std::size_t>(y) * image->width * colors;
        std::uint8_t* out = raster.ScanLine(y);
        for (int x = 0; x < raster.Width(); ++x, in += colors, out += 3) {
            out[0] = in[colors == 3 ? 2 : 0];
            out[1] = in[colors == 3 ? 1 : 0];
            out[2] = in[0];
        }
    }
    return result;
}

}  // namespace

const TFormatDescriptor RawFormat{
    .Name = "raw",
    .Title = "camera raw",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = Decode,
    .OrientsItself = true,
    .Shrink = TShrinkOnLoad::Approximate,
};

}  // namespace pictorand
