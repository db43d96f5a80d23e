// The output-raster stage: turns SourceBitmap into TargetBitmap.
#pragma once

#include "app/run_state.h"

namespace pictorand {

// Fills TargetBitmap from SourceBitmap, or frees it and sets ResizeFailed. The host's
// event pump runs twice: after the size computation and after the resampling.
void MakeOutputRaster(TRunState& state);

}  // namespace pictorand
