#include "resample/resample_bitmap.h"

#include "resample/row_resampler.h"

namespace pictorand {

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
    TRowResampler resampler(source.Width(), source.Height(), destination.Width(), destination.Height(), kernel, support, passes, grid, threads);
    resampler.Take(source, 0, source.Height());
    resampler.Finish(destination);
}

}  // namespace pictorand
