#include "app/output_raster_stage.h"

#include <exception>

namespace pictorand {

void MakeOutputRaster(TRunState& state) {
    try {
        // Until the resampler is in place every size rule copies the source unchanged.
        state.TargetBitmap = std::make_unique<TBitmap>();
        state.TargetBitmap->Assign(*state.SourceBitmap);
    } catch (const std::exception&) {
        state.TargetBitmap.reset();
        state.ResizeFailed = true;
    }
    state.Host.ProcessMessages();
    state.Host.ProcessMessages();
}

}  // namespace pictorand
