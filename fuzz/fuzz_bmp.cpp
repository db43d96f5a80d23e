// Fuzz target: BMP files through TBitmap.
#include "fuzz_common.h"
#include "graphics/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TBitmap>(data, size);
    return 0;
}
