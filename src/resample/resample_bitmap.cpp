#include "resample/resample_bitmap.h"

#include <string>
#include <vector>

#include "graphics/exceptions.h"
#include "resample/weight_lists.h"

namespace pictorand {

namespace {

constexpr std::string_view SourceTooSmall = "Source bitmap too small";

TRowView ViewOf(TBitmap& bitmap) {
    // Rows lie bottom-up, so the stride from one row to the next is negative.
    const std::ptrdiff_t stride = bitmap.Height() > 1 ? bitmap.ScanLine(1) - bitmap.ScanLine(0) : 0;
    return {bitmap.ScanLine(0), stride, bitmap.Width(), bitmap.Height()};
}

TWeightSpan SpanOf(const TWeightLists& lists) { return {lists.Entries(), lists.Starts(), lists.Count()}; }

}  // namespace

TResamplePasses BestPasses() {
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return Avx2Passes();
#endif
    return GenericPasses();
}

void ResampleBitmap(TBitmap& source, TBitmap& destination, FilterKernel kernel, float support, TSamplingGrid grid) {
    static const TResamplePasses passes = BestPasses();
    ResampleBitmap(source, destination, kernel, support, passes, grid);
}

void ResampleBitmap(TBitmap& source, TBitmap& destination, FilterKernel kernel, float support,
                    const TResamplePasses& passes, TSamplingGrid grid) {
    const int dstWidth = destination.Width(), dstHeight = destination.Height();
    const int srcWidth = source.Width(), srcHeight = source.Height();
    if (srcWidth < 1 || srcHeight < 1) throw EInvalidGraphicOperation(std::string(SourceTooSmall));
    // Both directions' weights first: every failure comes before any image is changed.
    const TWeightLists horizontal(srcWidth, dstWidth, kernel, support, grid);
    const TWeightLists vertical(srcHeight, dstHeight, kernel, support, grid);

    source.SetPixelFormat(TPixelFormat::pf24bit);
    TBitmap work;
    work.SetPixelFormat(TPixelFormat::pf24bit);
    work.SetSize(dstWidth, srcHeight);
    destination.Clear();
    destination.SetPixelFormat(TPixelFormat::pf24bit);
    destination.SetSize(dstWidth, dstHeight);

    {
        std::vector<float> block(static_cast<std::size_t>(srcWidth) * ResampleRowBlock * 3);
        passes.Horizontal(ViewOf(source), ViewOf(work), SpanOf(horizontal), block.data());
    }
    std::vector<float> sums(static_cast<std::size_t>(dstWidth) * 3);
    std::vector<const std::uint8_t*> workRows(static_cast<std::size_t>(srcHeight));
    passes.Vertical(ViewOf(work), ViewOf(destination), SpanOf(vertical), sums.data(), workRows.data());
}

}  // namespace pictorand
