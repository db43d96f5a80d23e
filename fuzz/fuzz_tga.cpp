// Fuzz target: TGA files through TTargaGraphic; every third input's rows are handed over a
// band at a time.
#include "fuzz_common.h"
#include "formats/tga/targa_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pictorand::TTargaGraphic;
    if (size % 3 == 0) {
        pictorand::fuzz::LoadBandByBand<TTargaGraphic>(
            data, size, [](TTargaGraphic&) {}, [](const TTargaGraphic& tga) { return static_cast<int>(tga.ImageProperties().Height); });
    } else {
        pictorand::fuzz::LoadAs<TTargaGraphic>(data, size);
    }
    return 0;
}
