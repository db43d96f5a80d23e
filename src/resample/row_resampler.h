// TRowResampler: the two-pass scaling of a picture that arrives a band of rows at a time,
// from the top or from the bottom. Each band's horizontal pass is done as it comes. Bands
// that come in turn from the top keep only a window of the horizontal pass's rows, and
// each destination row is made as soon as the rows it needs have come; bands in another
// order keep the output's width of every source row, and the vertical pass follows the
// last. The bytes are those of scaling the whole picture at once, for any banding and any
// number of threads.
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
    // band comes. Raises, before any row is taken, EInvalidGraphicOperation "Source bitmap
    // too small" for an empty source, EZeroDivide for a destination extent of 1 from a
    // larger source, and EInvalidGraphicOperation for an empty destination.
    TRowResampler(int sourceWidth, int sourceHeight, int destWidth, int destHeight, FilterKernel kernel, float support,
                  const TResamplePasses& passes, TSamplingGrid grid = TSamplingGrid::Corners, int threads = 1);

    int SourceWidth() const { return sourceWidth_; }
    int SourceHeight() const { return sourceHeight_; }

    // The source's rows first .. first + count - 1, counted from the top, as rows 0 ..
    // count - 1 of band, in any pixel format (read as its 24-bit conversion). Bands come
    // in any order, each row once.
    void Take(TBitmap& band, int first, int count);
    // The destination, 24 bits of the destination's size; every source row must have been
    // taken.
    void Finish(TBitmap& destination);

    // Source rows of the horizontal pass held at most so far (the window's rows, or every
    // source row once the bands came out of turn).
    int HeldRowsAtMost() const { return heldAtMost_; }

private:
    // Where the horizontal pass's rows are kept.
    enum class TKeep { Undecided, Window, Whole };

    void StartWindow(int firstCount);
    void KeepWhole();
    // The horizontal pass of count band rows into the kept rows of source rows first on.
    void Horizontal(TBitmap& band, int first, int count);
    // Work rows of source rows first .. first + count - 1 with no wrap of the window
    // between them.
    TRowView KeptRows(int first, int count);
    // Makes destination rows emitted_ .. end - 1 from the kept rows.
    void Vertical(int end);

    TResamplePasses passes_;
    int sourceWidth_, sourceHeight_, destWidth_, destHeight_, threads_;
    std::pair<std::shared_ptr<const TWeightLists>, std::shared_ptr<const TWeightLists>> lists_;
    // Per destination row: the highest source row it needs, and the lowest any row from it
    // on needs.
    std::vector<int> highest_, lowestFrom_;
    TKeep keep_ = TKeep::Undecided;
    // The horizontal pass's rows kept whole: the destination's width, the source's height.
    TBitmap work_;
    // The window: windowRows_ rows of the destination's width, source row r at r modulo
    // windowRows_; rows 0 .. ready_ - 1 have come.
    std::vector<std::uint8_t> window_;
    int windowRows_ = 0;
    std::ptrdiff_t windowStride_ = 0;
    int ready_ = 0;
    int heldAtMost_ = 0;
    // The kept row of each source row the vertical pass reads, set before each use.
    std::vector<const std::uint8_t*> workRows_;
    // The destination, rows 0 .. emitted_ - 1 made.
    TBitmap destination_;
    int emitted_ = 0;
    // Which rows have come, and how many.
    std::vector<bool> taken_;
    int takenCount_ = 0;
};

}  // namespace pictorand
