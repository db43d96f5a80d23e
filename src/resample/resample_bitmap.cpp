#include "resample/resample_bitmap.h"

#include <algorithm>
#include <string>
#include <vector>

#include "graphics/exceptions.h"
#include "resample/weight_lists.h"

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

TResamplePasses BestPasses() {
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return Avx2Passes();
#endif
    return GenericPasses();
}

void ResampleBitmap(TBitmap& source, TBitmap& destination, FilterKernel kernel, float support, TSamplingGrid grid, int threads) {
    static const TResamplePasses passes = BestPasses();
    ResampleBitmap(source, destination, kernel, support, passes, grid, threads);
}

void ResampleBitmap(TBitmap& source, TBitmap& destination, FilterKernel kernel, float support,
                    const TResamplePasses& passes, TSamplingGrid grid, int threads) {
    const int dstWidth = destination.Width(), dstHeight = destination.Height();
    const int srcWidth = source.Width(), srcHeight = source.Height();
    TBitmap work;
    TRowView sourceRows{}, workRows{}, destinationRows{};
    // A source of another format is read as 24-bit rows a block at a time, never converted
    // whole: a 400-megapixel bilevel scan stays 50 MB instead of becoming 1.2 GB.
    const bool wide = source.PixelFormat() == TPixelFormat::pf24bit;
    auto prepare = [&] {
        work.SetPixelFormat(TPixelFormat::pf24bit);
        work.SetSize(dstWidth, srcHeight);
        destination.Clear();
        destination.SetPixelFormat(TPixelFormat::pf24bit);
        destination.SetSize(dstWidth, dstHeight);
        if (wide) sourceRows = ViewOf(source);
        workRows = ViewOf(work), destinationRows = ViewOf(destination);
    };
    auto horizontal = [&](int first, int count, const TWeightLists& lists) {
        std::vector<float> block(static_cast<std::size_t>(srcWidth) * ResampleRowBlock * 3);
        if (wide) {
            passes.Horizontal(RowsOf(sourceRows, first, count), RowsOf(workRows, first, count), SpanOf(lists), block.data());
            return;
        }
        const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(srcWidth) * 3;
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(rowBytes) * ResampleRowBlock);
        for (int at = first; at < first + count; at += ResampleRowBlock) {
            const int chunk = std::min(ResampleRowBlock, first + count - at);
            for (int r = 0; r < chunk; ++r) source.RowAs24Bit(at + r, rows.data() + r * rowBytes);
            passes.Horizontal({rows.data(), rowBytes, srcWidth, chunk}, RowsOf(workRows, at, chunk), SpanOf(lists), block.data());
        }
    };
    auto vertical = [&](int first, int count, const TWeightLists& lists) {
        std::vector<float> sums(static_cast<std::size_t>(dstWidth) * 3);
        std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(srcHeight));
        const TWeightSpan span = SpanOf(lists);
        passes.Vertical(workRows, RowsOf(destinationRows, first, count), {span.Entries, span.Starts + first, count}, sums.data(), rows.data());
    };
    ResampleInTwoPasses(srcWidth, srcHeight, dstWidth, dstHeight, kernel, support, grid, threads, ResampleRowBlock, prepare, horizontal,
                        vertical);
}

}  // namespace pictorand
