// Fuzz target: TIFF files through TTIFFGraphic; every third input's rows are handed over a
// band at a time.
#include "fuzz_common.h"
#include "formats/tiff/tiff_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pictorand::TTIFFGraphic;
    if (size % 3 == 0) {
        pictorand::fuzz::LoadBandByBand<TTIFFGraphic>(
            data, size, [](TTIFFGraphic&) {}, [](const TTIFFGraphic& tiff) { return static_cast<int>(tiff.ImageProperties().Height); });
    } else {
        pictorand::fuzz::LoadAs<TTIFFGraphic>(data, size);
    }
    return 0;
}
