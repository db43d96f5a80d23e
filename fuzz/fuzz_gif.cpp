// Fuzz target: GIF files through TGIFImage.
#include "fuzz_common.h"
#include "formats/gif/gif_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TGIFImage>(data, size);
    return 0;
}
