// Fuzz target: PCX files through TPCXGraphic; every third input's rows are handed over a
// band at a time.
#include "fuzz_common.h"
#include "formats/pcx/pcx_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadEveryThirdBandByBand<pictorand::TPCXGraphic>(data, size);
    return 0;
}
