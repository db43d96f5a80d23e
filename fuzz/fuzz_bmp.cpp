// Fuzz target: BMP files through TBitmap; every third input through the format's row
// decode, its rows handed over a band at a time.
#include "fuzz_common.h"
#include "formats/bmp/bmp_format.h"
#include "graphics/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size % 3 == 0) pictorand::fuzz::DecodeBandByBand(pictorand::BmpFormat, data, size);
    else pictorand::fuzz::LoadAs<pictorand::TBitmap>(data, size);
    return 0;
}
