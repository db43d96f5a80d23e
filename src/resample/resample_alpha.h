// ResampleBitmapWithAlpha: scaling a raster with straight alpha without letting the
// colour under transparent pixels bleed into the visible ones.
#pragma once

#include "graphics/bitmap.h"
#include "resample/filter_kernels.h"
#include "resample/weight_lists.h"

namespace pictorand {

// The colours are premultiplied by their alpha and scaled, the alpha is scaled beside
// them (both through the 24-bit passes), and the colours are divided by the new alpha.
// The destination, whose size the caller has set, becomes 32-bit with straight alpha.
// Fails as ResampleBitmap does, before the destination is written.
void ResampleBitmapWithAlpha(const TBitmap& source, TBitmap& destination, FilterKernel kernel, float support,
                             TSamplingGrid grid = TSamplingGrid::Corners, int threads = 1);

}  // namespace pictorand
