// Fuzz target: any input probed and decoded by the format its signature names (Targa when
// none does), then written by every format the program writes.
#include "fuzz_common.h"
#include "formats/format_table.h"

namespace {

using namespace pictorand;

TBitmap Decode(const std::uint8_t* data, std::size_t size) {
    const TFormatDescriptor* format = IdentifyByContent(std::span(data, std::min(size, SignatureBytes)));
    if (!format) format = FindReadableFormat(".tga");
    return fuzz::DecodeAs(*format, data, size);
}

// Today's encoders take seconds for a large picture even at their fastest; they get small ones.
constexpr std::int64_t LargestForSlowEncoders = 256 * 256;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TBitmap bitmap = Decode(data, size);
    if (bitmap.Empty() || std::int64_t{bitmap.Width()} * bitmap.Height() > 1'000'000) return 0;
    const std::int64_t pixels = std::int64_t{bitmap.Width()} * bitmap.Height();
    for (const OutputFormat format : OutputFormats()) {
        if (!format->Classic && pixels > LargestForSlowEncoders) continue;
        TMemoryStream out;
        try {
            format->Encode(out, bitmap, {.Quality = 90, .Lossless = (size & 2) != 0, .Effort = 1});
        } catch (const Exception&) {
        }
    }
    return 0;
}
