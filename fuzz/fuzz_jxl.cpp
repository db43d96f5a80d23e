// Fuzz target: JPEG XL code streams and containers, with the metadata they carry.
#include "formats/jxl/jxl_format.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::DecodeAs(pictorand::JxlFormat, data, size);
    return 0;
}
