// Fuzz target: PNG files through TPNGGraphic, also handing their rows over a band at a
// time as for a picture too large to hold whole.
#include "fuzz_common.h"
#include "formats/png/png_graphic.h"

namespace {

// Loads the data with every picture given to a row sink, which checks that the bands come
// in order within the picture and reads each band's last pixel.
void LoadBandByBand(const std::uint8_t* data, std::size_t size) {
    using namespace pictorand;
    const TRasterCap cap(fuzz::SmallRasters);
    try {
        TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
        TPNGGraphic png;
        int next = 0;
        const TRowSink sink = [&next](TBitmap& band, int first, int count) {
            if (first != next || count < 1 || count > band.Height()) __builtin_trap();
            (void)band.GetPixel(band.Width() - 1, count - 1);
            next = first + count;
        };
        png.RowsTo = &sink;
        png.StreamFrom = 0;
        png.LoadFromStream(stream);
        if (png.Streamed() && next != static_cast<int>(png.ImageProperties().Height)) __builtin_trap();
    } catch (const Exception&) {
    } catch (const std::bad_alloc&) {
    }
}

// The picture's size as the header chunk gives it, when the data is long enough to hold it.
std::int64_t HeaderPixels(const std::uint8_t* data, std::size_t size) {
    if (size < 24) return 0;
    auto be32 = [data](std::size_t at) { return std::int64_t{data[at]} << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3]; };
    return be32(16) * be32(20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A picture given by bands is never held whole, so only the raster bound keeps the
    // time of one input within reason.
    if (size % 3 == 0 && HeaderPixels(data, size) <= pictorand::fuzz::SmallRasters) LoadBandByBand(data, size);
    else pictorand::fuzz::LoadAs<pictorand::TPNGGraphic>(data, size);
    return 0;
}
