// Fuzz target: TIFF files through TTIFFGraphic; every third input's rows are handed over a
// band at a time.
#include "fuzz_common.h"
#include "formats/tiff/tiff_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadEveryThirdBandByBand<pictorand::TTIFFGraphic>(data, size);
    return 0;
}
