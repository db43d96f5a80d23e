// Fuzz target: WebP files, still and animated, with the metadata they carry.
#include "formats/webp/webp_format.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::DecodeAs(pictorand::WebpFormat, data, size);
    return 0;
}
