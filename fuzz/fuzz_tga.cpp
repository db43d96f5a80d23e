// Fuzz target: TGA files through TTargaGraphic.
#include "fuzz_common.h"
#include "formats/tga/targa_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TTargaGraphic>(data, size);
    return 0;
}
