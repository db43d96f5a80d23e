// Fuzz target: GIF files through TGIFImage; every third input's first frame is handed over
// a band of rows at a time.
#include "fuzz_common.h"
#include "formats/gif/gif_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pictorand::TGIFImage;
    if (size % 3 == 0) {
        pictorand::fuzz::LoadBandByBand<TGIFImage>(
            data, size, [](TGIFImage&) {}, [](const TGIFImage& gif) { return gif.Height(); });
    } else {
        pictorand::fuzz::LoadAs<TGIFImage>(data, size);
    }
    return 0;
}
