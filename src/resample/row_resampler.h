// TRowResampler: the two-pass scaling of a picture that arrives a band of rows at a time,
// from the top or from the bottom. Each band's horizontal pass is done as it comes, so of
// the source only
// the output's width of every row is held; the vertical pass follows the last row. The
// bytes are those of scaling the whole picture at once, for any banding and any number of
// threads.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "graphics/bitmap.h"
#include "resample/filter_kernels.h"
#include "resample/resample_passes.h"
#include "resample/weight_lists.h"

namespace pictorand {

class TRowResampler {
public:
    // Builds both passes' weights; the rows between the passes are made when the first
    // band comes. Raises, before any
    // row is taken, EInvalidGraphicOperation "Source bitmap too small" for an empty
    // source, EZeroDivide for a destination extent of 1 from a larger source, and
    // EInvalidGraphicOperation for an empty destination.
    TRowResampler(int sourceWidth, int sourceHeight, int destWidth, int destHeight, FilterKernel kernel, float support,
                  const TResamplePasses& passes, TSamplingGrid grid = TSamplingGrid::Corners, int threads = 1);

    int SourceWidth() const { return sourceWidth_; }
    int SourceHeight() const { return sourceHeight_; }

    // The source's rows first .. first + count - 1, counted from the top, as rows 0 ..
    // count - 1 of band, in any pixel format (read as its 24-bit conversion). Bands come
    // in any order, each row once.
    void Take(TBitmap& band, int first, int count);
    // The vertical pass into destination, which becomes 24 bits of the destination's
    // size; every source row must have been taken.
    void Finish(TBitmap& destination);

private:
    TResamplePasses passes_;
    int sourceWidth_, sourceHeight_, destWidth_, destHeight_, threads_;
    std::pair<std::shared_ptr<const TWeightLists>, std::shared_ptr<const TWeightLists>> lists_;
    // The horizontal pass's output: the destination's width, the source's height.
    TBitmap work_;
    // Which rows have come, and how many.
    std::vector<bool> taken_;
    int takenCount_ = 0;
};

}  // namespace pictorand
