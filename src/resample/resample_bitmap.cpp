#include "resample/resample_bitmap.h"

#include <string>
#include <vector>

#include "graphics/exceptions.h"
#include "resample/row_split.h"
#include "resample/weight_lists.h"

namespace pictorand {

namespace {

constexpr std::string_view SourceTooSmall = "Source bitmap too small";

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
    if (srcWidth < 1 || srcHeight < 1) throw EInvalidGraphicOperation(std::string(SourceTooSmall));
    // Both directions' weights first: every failure comes before any image is changed.
    const auto [horizontalLists, verticalLists] = BothWeightLists(srcWidth, srcHeight, dstWidth, dstHeight, kernel, support, grid, threads);
    const TWeightLists& horizontal = *horizontalLists;
    const TWeightLists& vertical = *verticalLists;

    source.SetPixelFormat(TPixelFormat::pf24bit);
    TBitmap work;
    work.SetPixelFormat(TPixelFormat::pf24bit);
    work.SetSize(dstWidth, srcHeight);
    destination.Clear();
    destination.SetPixelFormat(TPixelFormat::pf24bit);
    destination.SetSize(dstWidth, dstHeight);

    const TRowView sourceRows = ViewOf(source), workRows = ViewOf(work), destinationRows = ViewOf(destination);
    SplitRows(srcHeight, threads, ResampleRowBlock, RowsPerThreadAtLeast, [&](int first, int count) {
        std::vector<float> block(static_cast<std::size_t>(srcWidth) * ResampleRowBlock * 3);
        passes.Horizontal(RowsOf(sourceRows, first, count), RowsOf(workRows, first, count), SpanOf(horizontal), block.data());
    });
    SplitRows(dstHeight, threads, 1, RowsPerThreadAtLeast, [&](int first, int count) {
        std::vector<float> sums(static_cast<std::size_t>(dstWidth) * 3);
        std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(srcHeight));
        const TWeightSpan lists = SpanOf(vertical);
        passes.Vertical(workRows, RowsOf(destinationRows, first, count), {lists.Entries, lists.Starts + first, count}, sums.data(),
                        rows.data());
    });
}

}  // namespace pictorand
