// Fuzz target: JPEG files through TJPEGImage.
#include "fuzz_common.h"
#include "formats/jpeg/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::LoadAs<pictorand::TJPEGImage>(data, size);
    return 0;
}
