// Fuzz target: PNG files through TPNGGraphic.
#include "fuzz_common.h"
#include "formats/png/png_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TPNGGraphic>(data, size);
    return 0;
}
