// Fuzz target: Windows metafiles, loaded and played onto a raster as the loader does.
#include "fuzz_common.h"
#include "formats/wmf/metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorand;
    try {
        TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
        TMetafile metafile;
        metafile.LoadFromStream(stream);
        // Keep the canvas small: the player's work grows with the picture's size.
        if (std::int64_t{metafile.Width()} * metafile.Height() > 4'000'000) return 0;
        TBitmap canvas;
        canvas.SetPixelFormat(TPixelFormat::pf24bit);
        canvas.SetSize(metafile.Width(), metafile.Height());
        metafile.Draw(canvas, 0, 0);
    } catch (const Exception&) {
    }
    return 0;
}
