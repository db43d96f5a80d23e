// Fuzz target: PNG files through TPNGGraphic; every third input's rows are handed over a
// band at a time from the first byte of stored rows on, as for a picture too large to hold.
#include "fuzz_common.h"
#include "formats/png/png_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadEveryThirdBandByBand<pictorand::TPNGGraphic>(data, size, [](pictorand::TPNGGraphic& png) { png.StreamFrom = 0; });
    return 0;
}
