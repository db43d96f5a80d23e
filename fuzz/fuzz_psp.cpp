// Fuzz target: PSP files through TPSPGraphic.
#include "fuzz_common.h"
#include "formats/psp/psp_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TPSPGraphic>(data, size);
    return 0;
}
