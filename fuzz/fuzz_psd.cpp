// Fuzz target: PSD files through TPSDGraphic.
#include "fuzz_common.h"
#include "formats/psd/psd_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TPSDGraphic>(data, size);
    return 0;
}
