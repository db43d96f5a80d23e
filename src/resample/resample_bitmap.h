// ResampleBitmap: separable two-pass scaling of a raster with a filter kernel, the whole
// raster given to a TRowResampler as one band.
#pragma once

#include "graphics/bitmap.h"
#include "resample/filter_kernels.h"
#include "resample/resample_passes.h"
#include "resample/two_pass.h"
#include "resample/weight_lists.h"

namespace pictorand {

// Scales source into destination, whose width and height the caller has set. The
// destination becomes 24 bits per pixel; a source of another format is read as its
// 24-bit conversion. Raises
// EInvalidGraphicOperation "Source bitmap too small" for an empty source, EZeroDivide
// for a destination extent of 1 from a larger source, and EInvalidGraphicOperation for
// an empty destination; in each case before the destination is written. The rows of each
// pass are shared among up to threads threads; the bytes are the same for any number.
void ResampleBitmap(TBitmap& source, TBitmap& destination, FilterKernel kernel, float support,
                    TSamplingGrid grid = TSamplingGrid::Corners, int threads = 1);

// The same with an explicit pass build, for tests and benchmarks.
void ResampleBitmap(TBitmap& source, TBitmap& destination, FilterKernel kernel, float support,
                    const TResamplePasses& passes, TSamplingGrid grid = TSamplingGrid::Corners, int threads = 1);

}  // namespace pictorand
