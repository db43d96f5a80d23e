// Fuzz target: camera raw files through LibRaw, with the metadata they carry.
#include "formats/raw/raw_format.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictorand::fuzz::DecodeAs(pictorand::RawFormat, data, size);
    return 0;
}
