// Fuzz target: PCX files through TPCXGraphic; every third input's rows are handed over a
// band at a time.
#include "fuzz_common.h"
#include "formats/pcx/pcx_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pictorand::TPCXGraphic;
    if (size % 3 == 0) {
        pictorand::fuzz::LoadBandByBand<TPCXGraphic>(
            data, size, [](TPCXGraphic&) {}, [](const TPCXGraphic& pcx) { return static_cast<int>(pcx.ImageProperties().Height); });
    } else {
        pictorand::fuzz::LoadAs<TPCXGraphic>(data, size);
    }
    return 0;
}
