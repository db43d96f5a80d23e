#include "formats/heic/heif_reader.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "formats/common/graphic_ex.h"
#include "formats/heic/heif_grid.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

struct TContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct THandleFree {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct TImageFree {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct TOptionsFree {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct TNclxFree {
    void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};

// The EXIF item starts with the offset of its TIFF header, four bytes big-endian; a
// block longer than this is no EXIF any camera wrote.
constexpr std::size_t LargestMetadataBlock = 16 << 20;

void Check(const heif_error& error, std::string_view title) {
    if (error.code == heif_error_Ok) return;
    throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, title) + " " + (error.message ? error.message : ""));
}

// The file and its primary picture, read without a copy of the bytes.
struct TPrimary {
    std::unique_ptr<heif_context, TContextFree> Context{heif_context_alloc()};
    std::unique_ptr<heif_image_handle, THandleFree> Handle;

    TPrimary(std::span<const std::uint8_t> file, std::string_view title) {
        if (!Context) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
        // No side of any picture in the file may exceed the largest raster's.
        heif_context_set_maximum_image_size_limit(Context.get(), static_cast<int>(MaxRasterSide));
        Check(heif_context_read_from_memory_without_copy(Context.get(), file.data(), file.size(), nullptr), title);
        heif_image_handle* handle = nullptr;
        Check(heif_context_get_primary_image_handle(Context.get(), &handle), title);
        Handle.reset(handle);
    }
};

// The first metadata block of a type (and content type, when given) that can be read.
std::vector<std::uint8_t> MetadataBlock(const heif_image_handle* handle, const char* type, const char* contentType) {
    const int count = heif_image_handle_get_number_of_metadata_blocks(handle, type);
    if (count <= 0) return {};
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    heif_image_handle_get_list_of_metadata_block_IDs(handle, type, ids.data(), count);
    for (const heif_item_id id : ids) {
        const char* content = heif_image_handle_get_metadata_content_type(handle, id);
        if (contentType && (!content || std::strcmp(content, contentType) != 0)) continue;
        const std::size_t size = heif_image_handle_get_metadata_size(handle, id);
        if (size == 0 || size > LargestMetadataBlock) continue;
        std::vector<std::uint8_t> block(size);
        if (heif_image_handle_get_metadata(handle, id, block.data()).code == heif_error_Ok) return block;
    }
    return {};
}

TSourceMetadata Metadata(const heif_image_handle* handle) {
    TSourceMetadata metadata;
    const std::vector<std::uint8_t> exif = MetadataBlock(handle, "Exif", nullptr);
    if (exif.size() > 4) {
        const std::size_t offset = std::size_t{exif[0]} << 24 | std::size_t{exif[1]} << 16 | std::size_t{exif[2]} << 8 | exif[3];
        if (offset < exif.size() - 4) metadata.Exif.assign(exif.begin() + 4 + static_cast<std::ptrdiff_t>(offset), exif.end());
    }
    metadata.Xmp = MetadataBlock(handle, "mime", "application/rdf+xml");
    if (const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle); size > 0 && size <= LargestMetadataBlock) {
        metadata.IccProfile.resize(size);
        if (heif_image_handle_get_raw_color_profile(handle, metadata.IccProfile.data()).code != heif_error_Ok) metadata.IccProfile.clear();
    }
    if (metadata.IccProfile.empty()) {
        // libheif may hand a profile over with an error; it is ours to free either way.
        heif_color_profile_nclx* raw = nullptr;
        const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &raw);
        const std::unique_ptr<heif_color_profile_nclx, TNclxFree> nclx(raw);
        if (error.code == heif_error_Ok && nclx)
            metadata.Cicp = TCicp{static_cast<int>(nclx->color_primaries), static_cast<int>(nclx->transfer_characteristics)};
    }
    metadata.Orientation = 1;
    return metadata;
}

}  // namespace

TImageInfo ProbeHeif(std::span<const std::uint8_t> file) {
    TImageInfo info;
    try {
        const TPrimary primary(file, "HEIF");
        const heif_image_handle* handle = primary.Handle.get();
        info.Width = heif_image_handle_get_width(handle);
        info.Height = heif_image_handle_get_height(handle);
        info.HasAlpha = heif_image_handle_has_alpha_channel(handle) != 0;
        info.BitsPerSample = std::max(8, heif_image_handle_get_luma_bits_per_pixel(handle));
        info.Frames = std::max(1, heif_context_get_number_of_top_level_images(primary.Context.get()));
        info.Metadata = Metadata(handle);
    } catch (const std::exception&) {
        return {};
    }
    return info;
}

TDecodedImage DecodeHeif(std::span<const std::uint8_t> file, const TDecodeRequest& request, std::string_view title) {
    const TRasterCap cap(request.MaxPixels);
    const TPrimary primary(file, title);
    const heif_image_handle* handle = primary.Handle.get();
    heif_context_set_max_decoding_threads(primary.Context.get(), std::max(0, request.Threads - 1));
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    TDecodedImage result;
    TBitmap& raster = result.Raster;
    // The raster is made, and the cap checked, before the decoder allocates its planes.
    raster.SetPixelFormat(alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    raster.SetSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
    raster.SetHasAlpha(alpha);
    // Nothing the decoder builds (a grid's canvas, its tiles, the alpha plane) may have a
    // side much beyond the stored picture's, which the cap has just allowed: a grid that
    // claims a larger canvas is refused before libheif allocates it. The margin covers the
    // coded sizes, which round the picture up to whole coding blocks.
    constexpr int CodedMargin = 1024;
    const int storedWidth = heif_image_handle_get_ispe_width(handle), storedHeight = heif_image_handle_get_ispe_height(handle);
    const int storedSide = std::max({raster.Width(), raster.Height(), storedWidth, storedHeight});
    heif_context_set_maximum_image_size_limit(primary.Context.get(), std::min(storedSide + CodedMargin, static_cast<int>(MaxRasterSide)));
    // A grid's canvas is built at the size its grid item claims, which must be the picture's;
    // a grid whose box cannot be read here is refused rather than left to libheif to size.
    const THeifGrid grid = HeifGridCanvas(file);
    if (grid.PrimaryIsGrid && !grid.Canvas)
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, title) + " its grid's size cannot be read");
    if (const auto& canvas = grid.Canvas;
        canvas && (std::int64_t{canvas->first} > std::int64_t{storedWidth} + CodedMargin || std::int64_t{canvas->second} > std::int64_t{storedHeight} + CodedMargin))
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, title) + " its grid claims a canvas of " + std::to_string(canvas->first) + " × " +
                              std::to_string(canvas->second) + ", larger than the picture");
    const std::unique_ptr<heif_decoding_options, TOptionsFree> options(heif_decoding_options_alloc());
    if (!options) throw EOutOfMemory(std::string(runtime_texts::OutOfMemory));
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    Check(heif_decode_image(handle, &decoded, heif_colorspace_RGB, alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                            options.get()),
          title);
    const std::unique_ptr<heif_image, TImageFree> image(decoded);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    const int channels = alpha ? 4 : 3;
    if (!plane || width != raster.Width() || height != raster.Height() || stride < width * channels)
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, title));
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle) != 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = plane + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint8_t* out = raster.ScanLine(y);
        for (int x = 0; x < width; ++x, in += channels, out += channels) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            if (!alpha) continue;
            out[3] = in[3];
            if (premultiplied && in[3] != 0 && in[3] != 255)
                for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>(std::min(255, (out[k] * 255 + in[3] / 2) / in[3]));
        }
    }
    return result;
}

}  // namespace pictorand
