#include "resample/row_resampler.h"

#include <algorithm>
#include <vector>

#include "graphics/exceptions.h"
#include "resample/row_split.h"
#include "resample/two_pass.h"

namespace pictorand {

namespace {

TRowView ViewOf(TBitmap& bitmap) {
    // Rows lie bottom-up, so the stride from one row to the next is negative.
    const std::ptrdiff_t stride = bitmap.Height() > 1 ? bitmap.ScanLine(1) - bitmap.ScanLine(0) : 0;
    return {bitmap.ScanLine(0), stride, bitmap.Width(), bitmap.Height()};
}

// Rows first .. first + count - 1 of a view.
TRowView RowsOf(const TRowView& view, int first, int count) { return {view.First + first * view.Stride, view.Stride, view.Width, count}; }

TWeightSpan SpanOf(const TWeightLists& lists) { return {lists.Entries(), lists.Starts(), lists.Count()}; }

}  // namespace

TRowResampler::TRowResampler(int sourceWidth, int sourceHeight, int destWidth, int destHeight, FilterKernel kernel, float support,
                             const TResamplePasses& passes, TSamplingGrid grid, int threads)
    : passes_(passes), sourceWidth_(sourceWidth), sourceHeight_(sourceHeight), destWidth_(destWidth), destHeight_(destHeight),
      threads_(threads) {
    if (sourceWidth < 1 || sourceHeight < 1) throw EInvalidGraphicOperation("Source bitmap too small");
    lists_ = BothWeightLists(sourceWidth, sourceHeight, destWidth, destHeight, kernel, support, grid, threads);
}

void TRowResampler::Take(TBitmap& band, int first, int count) {
    if (first < 0 || count < 0 || count > band.Height() || count > sourceHeight_ - first || band.Width() != sourceWidth_)
        throw EInvalidGraphicOperation("Rows outside the picture for scaling");
    if (count == 0) return;
    if (taken_.empty()) taken_.assign(static_cast<std::size_t>(sourceHeight_), false);
    const auto from = taken_.begin() + first, to = from + count;
    if (std::find(from, to, true) != to) throw EInvalidGraphicOperation("Rows given twice for scaling");
    std::fill(from, to, true);
    takenCount_ += count;
    if (work_.Empty()) {
        work_.SetPixelFormat(TPixelFormat::pf24bit);
        work_.SetSize(destWidth_, sourceHeight_);
    }
    const TRowView work = ViewOf(work_);
    const TWeightSpan lists = SpanOf(*lists_.first);
    // A 24-bit band is read where it lies; another is read as 24-bit rows a block at a time,
    // never converted whole.
    const bool wide = band.PixelFormat() == TPixelFormat::pf24bit;
    const TRowView rows = wide ? ViewOf(band) : TRowView{};
    SplitRows(count, threads_, ResampleRowBlock, RowsPerThreadAtLeast, [&](int from, int n) {
        std::vector<float> block(static_cast<std::size_t>(sourceWidth_) * ResampleRowBlock * 3);
        if (wide) {
            passes_.Horizontal(RowsOf(rows, from, n), RowsOf(work, first + from, n), lists, block.data());
            return;
        }
        const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(sourceWidth_) * 3;
        std::vector<std::uint8_t> converted(static_cast<std::size_t>(rowBytes) * ResampleRowBlock);
        for (int at = from; at < from + n; at += ResampleRowBlock) {
            const int chunk = std::min(ResampleRowBlock, from + n - at);
            for (int r = 0; r < chunk; ++r) band.RowAs24Bit(at + r, converted.data() + r * rowBytes);
            passes_.Horizontal({converted.data(), rowBytes, sourceWidth_, chunk}, RowsOf(work, first + at, chunk), lists, block.data());
        }
    });
}

void TRowResampler::Finish(TBitmap& destination) {
    if (takenCount_ != sourceHeight_) throw EInvalidGraphicOperation("Rows missing for scaling");
    destination.Clear();
    destination.SetPixelFormat(TPixelFormat::pf24bit);
    destination.SetSize(destWidth_, destHeight_);
    const TRowView work = ViewOf(work_), rows = ViewOf(destination);
    const TWeightSpan span = SpanOf(*lists_.second);
    SplitRows(destHeight_, threads_, 1, RowsPerThreadAtLeast, [&](int first, int count) {
        std::vector<float> sums(static_cast<std::size_t>(destWidth_) * 3);
        std::vector<const std::uint8_t*> workRows(static_cast<std::size_t>(sourceHeight_));
        passes_.Vertical(work, RowsOf(rows, first, count), {span.Entries, span.Starts + first, count}, sums.data(), workRows.data());
    });
    work_ = TBitmap();
}

}  // namespace pictorand
