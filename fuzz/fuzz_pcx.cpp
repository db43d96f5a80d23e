// Fuzz target: PCX files through TPCXGraphic.
#include "fuzz_common.h"
#include "formats/pcx/pcx_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TPCXGraphic>(data, size);
    return 0;
}
