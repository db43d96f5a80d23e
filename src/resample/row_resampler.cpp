#include "resample/row_resampler.h"

#include <algorithm>
#include <cstring>
#include <limits>
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
    const TWeightLists& vertical = *lists_.second;
    highest_.assign(static_cast<std::size_t>(destHeight_), -1);
    lowestFrom_.assign(static_cast<std::size_t>(destHeight_) + 1, std::numeric_limits<int>::max());
    for (int i = destHeight_ - 1; i >= 0; --i) {
        int lowest = lowestFrom_[static_cast<std::size_t>(i) + 1];
        for (const WeightEntry* e = vertical.Entries() + vertical.Starts()[i]; e != vertical.Entries() + vertical.Starts()[i + 1]; ++e) {
            highest_[static_cast<std::size_t>(i)] = std::max(highest_[static_cast<std::size_t>(i)], e->SourceIndex);
            lowest = std::min(lowest, static_cast<int>(e->SourceIndex));
        }
        lowestFrom_[static_cast<std::size_t>(i)] = lowest;
    }
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
    if (keep_ == TKeep::Undecided) {
        // The whole picture at once, or a first band that is not the top, keeps every row.
        if (first == 0 && count < sourceHeight_) StartWindow(count);
        else KeepWhole();
    }
    // A band out of turn, or larger than the window was made for, ends the window.
    if (keep_ == TKeep::Window && (first != ready_ || ready_ - lowestFrom_[static_cast<std::size_t>(emitted_)] + count > windowRows_)) {
        KeepWhole();
    }
    Horizontal(band, first, count);
    if (keep_ != TKeep::Window) return;
    ready_ += count;
    heldAtMost_ = std::max(heldAtMost_, ready_ - std::min(ready_, lowestFrom_[static_cast<std::size_t>(emitted_)]));
    int end = emitted_;
    while (end < destHeight_ && highest_[static_cast<std::size_t>(end)] < ready_) ++end;
    Vertical(end);
}

// The window holds what one destination row needs beyond the rows before it, and a band.
void TRowResampler::StartWindow(int firstCount) {
    int reach = 1;
    for (int i = 0; i < destHeight_; ++i) {
        if (highest_[static_cast<std::size_t>(i)] >= 0) {
            reach = std::max(reach, highest_[static_cast<std::size_t>(i)] - lowestFrom_[static_cast<std::size_t>(i)] + 1);
        }
    }
    windowRows_ = std::min(sourceHeight_, reach + firstCount);
    // Rows of whole 4-byte words, as a bitmap's are.
    windowStride_ = (static_cast<std::ptrdiff_t>(destWidth_) * 3 + 3) / 4 * 4;
    window_.assign(static_cast<std::size_t>(windowStride_) * static_cast<std::size_t>(windowRows_), 0);
    keep_ = TKeep::Window;
}

// Every source row's work row from now on; the window's rows still needed move into it.
void TRowResampler::KeepWhole() {
    work_.SetPixelFormat(TPixelFormat::pf24bit);
    work_.SetSize(destWidth_, sourceHeight_);
    if (keep_ == TKeep::Window) {
        const TRowView whole = ViewOf(work_);
        const int bytes = destWidth_ * 3;
        for (int r = std::min(ready_, lowestFrom_[static_cast<std::size_t>(emitted_)]); r < ready_; ++r) {
            std::memcpy(whole.First + r * whole.Stride, KeptRows(r, 1).First, static_cast<std::size_t>(bytes));
        }
        window_ = {};
    }
    keep_ = TKeep::Whole;
    heldAtMost_ = sourceHeight_;
}

TRowView TRowResampler::KeptRows(int first, int count) {
    if (keep_ == TKeep::Whole) return RowsOf(ViewOf(work_), first, count);
    const int slot = first % windowRows_;
    return {window_.data() + slot * windowStride_, windowStride_, destWidth_, std::min(count, windowRows_ - slot)};
}

void TRowResampler::Horizontal(TBitmap& band, int first, int count) {
    const TWeightSpan lists = SpanOf(*lists_.first);
    // A 24-bit band is read where it lies; another is read as 24-bit rows a block at a time,
    // never converted whole. Runs of rows that the window wraps within are cut at the wrap.
    const bool wide = band.PixelFormat() == TPixelFormat::pf24bit;
    const TRowView rows = wide ? ViewOf(band) : TRowView{};
    SplitRows(count, threads_, ResampleRowBlock, RowsPerThreadAtLeast, [&](int from, int n) {
        std::vector<float> block(static_cast<std::size_t>(sourceWidth_) * ResampleRowBlock * 3);
        const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(sourceWidth_) * 3;
        std::vector<std::uint8_t> converted(wide ? 0 : static_cast<std::size_t>(rowBytes) * ResampleRowBlock);
        for (int at = from; at < from + n;) {
            const TRowView kept = KeptRows(first + at, std::min(wide ? from + n - at : ResampleRowBlock, from + n - at));
            if (wide) {
                passes_.Horizontal(RowsOf(rows, at, kept.Height), kept, lists, block.data());
            } else {
                for (int r = 0; r < kept.Height; ++r) band.RowAs24Bit(at + r, converted.data() + r * rowBytes);
                passes_.Horizontal({converted.data(), rowBytes, sourceWidth_, kept.Height}, kept, lists, block.data());
            }
            at += kept.Height;
        }
    });
}

void TRowResampler::Vertical(int end) {
    if (end <= emitted_) return;
    if (destination_.Empty()) {
        destination_.SetPixelFormat(TPixelFormat::pf24bit);
        destination_.SetSize(destWidth_, destHeight_);
    }
    // The work row of every source row the destination rows need.
    const int low = std::min(lowestFrom_[static_cast<std::size_t>(emitted_)], sourceHeight_);
    int high = low;
    for (int i = emitted_; i < end; ++i) high = std::max(high, highest_[static_cast<std::size_t>(i)] + 1);
    if (workRows_.empty()) workRows_.resize(static_cast<std::size_t>(sourceHeight_));
    for (int r = low; r < high; ++r) workRows_[static_cast<std::size_t>(r)] = KeptRows(r, 1).First;
    const TRowView rows = ViewOf(destination_);
    const TWeightSpan span = SpanOf(*lists_.second);
    const int start = emitted_;
    SplitRows(end - start, threads_, 1, RowsPerThreadAtLeast, [&](int first, int count) {
        std::vector<float> sums(static_cast<std::size_t>(destWidth_) * 3);
        passes_.Vertical(workRows_.data(), RowsOf(rows, start + first, count), {span.Entries, span.Starts + start + first, count}, sums.data());
    });
    emitted_ = end;
}

void TRowResampler::Finish(TBitmap& destination) {
    if (takenCount_ != sourceHeight_) throw EInvalidGraphicOperation("Rows missing for scaling");
    Vertical(destHeight_);
    const TProgressEvent progress = destination.OnProgress;
    destination = std::move(destination_);
    destination.OnProgress = progress;
    destination_ = TBitmap();
    work_ = TBitmap();
    window_ = {};
    workRows_ = {};
}

}  // namespace pictorand
