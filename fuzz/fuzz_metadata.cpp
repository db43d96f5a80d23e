// Fuzz target: metadata read from any file (JPEG, PNG, TIFF and Photoshop by their first
// bytes), the EXIF block made ready for an output, the blocks written back into files,
// and the profile and orientation applied to a small raster.
#include "engine/colour_profile.h"
#include "engine/orientation.h"
#include "formats/common/exif.h"
#include "formats/common/metadata_segments.h"
#include "formats/source_metadata_reader.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorand;
    const std::span<const std::uint8_t> bytes(data, size);
    const TSourceMetadata metadata = ReadSourceMetadata(bytes);
    (void)ExifOrientation(bytes);
    TSourceMetadata output = metadata;
    output.Exif = ExifForOutput(metadata.Exif, {.TurnedUpright = true, .InSrgb = true, .Width = 100, .Height = 70000});
    (void)ReadSourceMetadata(JpegWithMetadata(bytes, output));
    (void)ReadSourceMetadata(PngWithMetadata(bytes, output));
    TBitmap raster;
    raster.SetPixelFormat(TPixelFormat::pf24bit);
    raster.SetSize(3, 2);
    ConvertToSrgb(raster, metadata.IccProfile);
    TurnUpright(raster, metadata.Orientation);
    return 0;
}
