// Fuzz target: TIFF files through TTIFFGraphic.
#include "fuzz_common.h"
#include "formats/tiff/tiff_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TTIFFGraphic>(data, size);
    return 0;
}
