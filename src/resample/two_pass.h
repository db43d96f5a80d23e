// The frame every resampler shares: the source's size checked and both directions'
// weights made before any raster is touched, the destination prepared, then the
// horizontal pass over the source's rows and the vertical pass over the destination's,
// each shared among threads. A resampler brings what it does per row.
#pragma once

#include <string>

#include "graphics/exceptions.h"
#include "resample/row_split.h"
#include "resample/weight_lists.h"

namespace pictorand {

// Rows a thread takes at the least, below which a pass is not shared out.
inline constexpr int RowsPerThreadAtLeast = 64;

// prepare(); horizontal(first, count, lists) for runs of source rows that are multiples of
// granule; vertical(first, count, lists) for runs of destination rows.
template <class TPrepare, class THorizontal, class TVertical>
void ResampleInTwoPasses(int srcWidth, int srcHeight, int dstWidth, int dstHeight, FilterKernel kernel, float support,
                         TSamplingGrid grid, int threads, int granule, TPrepare prepare, THorizontal horizontal, TVertical vertical) {
    if (srcWidth < 1 || srcHeight < 1) throw EInvalidGraphicOperation("Source bitmap too small");
    const auto lists = BothWeightLists(srcWidth, srcHeight, dstWidth, dstHeight, kernel, support, grid, threads);
    prepare();
    SplitRows(srcHeight, threads, granule, RowsPerThreadAtLeast, [&](int first, int count) { horizontal(first, count, *lists.first); });
    SplitRows(dstHeight, threads, 1, RowsPerThreadAtLeast, [&](int first, int count) { vertical(first, count, *lists.second); });
}

}  // namespace pictorand
