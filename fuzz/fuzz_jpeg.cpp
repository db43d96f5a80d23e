// Fuzz target: JPEG files through TJPEGImage; every third input through the format's row
// decode, its rows handed over a band at a time.
#include "fuzz_common.h"
#include "formats/jpeg/jpeg_format.h"
#include "formats/jpeg/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size % 3 == 0) pictorand::fuzz::DecodeBandByBand(pictorand::JpegFormat, data, size);
    else pictorand::fuzz::LoadAs<pictorand::TJPEGImage>(data, size);
    return 0;
}
