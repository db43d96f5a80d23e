// Fuzz target: any input probed and decoded by the format its signature names (Targa when
// none does), then written by every format the program writes.
#include "fuzz_common.h"
#include "formats/format_table.h"

namespace {

using namespace pictorand;

TBitmap Decode(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const TFormatDescriptor* format = IdentifyByContent(file.first(std::min(size, SignatureBytes)));
    if (!format) format = FindReadableFormat(".tga");
    try {
        const TImageInfo info = format->Probe(file);
        if (std::int64_t{info.Width} * info.Height > fuzz::SmallRasters) return {};
        const TRasterCap cap(fuzz::SmallRasters);
        TDecodeRequest request;
        request.KeepAlpha = (size & 1) != 0;
        TBitmap bitmap = format->Decode(file, request).Raster;
        if (!bitmap.Empty()) (void)bitmap.GetPixel(bitmap.Width() - 1, bitmap.Height() - 1);
        return bitmap;
    } catch (const Exception&) {
    } catch (const std::bad_alloc&) {
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TBitmap bitmap = Decode(data, size);
    if (bitmap.Empty() || std::int64_t{bitmap.Width()} * bitmap.Height() > 1'000'000) return 0;
    for (const OutputFormat format : OutputFormats()) {
        TMemoryStream out;
        try {
            format->Encode(out, bitmap, {90});
        } catch (const Exception&) {
        }
    }
    return 0;
}
