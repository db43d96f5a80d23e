// ResampleBitmapLinear: scaling in linear light. The sRGB samples are decoded to linear
// light in 32-bit floats, scaled there with the same weights as the classic passes, and
// encoded back, so that a fine black-and-white pattern averages to the grey of half the
// light rather than half the code value.
#pragma once

#include "graphics/bitmap.h"
#include "resample/filter_kernels.h"
#include "resample/weight_lists.h"

namespace pictorand {

// Scales source into destination, whose size the caller has set. A source with alpha is
// premultiplied in linear light and keeps its alpha (the destination becomes 32-bit with
// straight alpha); any other becomes 24-bit. Fails as ResampleBitmap does, before the
// destination is written. Rows are shared among up to threads threads with the same
// result for any number.
void ResampleBitmapLinear(const TBitmap& source, TBitmap& destination, FilterKernel kernel, float support,
                          TSamplingGrid grid = TSamplingGrid::Corners, int threads = 1);

// The linear light of an 8-bit sRGB code value, 0 to 1.
float SrgbToLinear(std::uint8_t value);
// The nearest 8-bit sRGB code value of a linear light level (clamped to 0 .. 1).
std::uint8_t LinearToSrgb(float light);

}  // namespace pictorand
