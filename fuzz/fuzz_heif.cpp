// Fuzz target: HEIC, HEIF and AVIF files through libheif, with the metadata they carry.
#include "formats/heic/heic_format.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::DecodeAs(pictorand::HeicFormat, data, size);
    return 0;
}
