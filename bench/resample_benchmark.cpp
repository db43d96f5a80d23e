// Throughput of ResampleBitmap on photo-sized 24-bit images, in source megapixels per
// second, with the process's peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <random>

#include "resample/filter_kernels.h"
#include "resample/resample_bitmap.h"

namespace {

using namespace pictorand;

TBitmap NoisyImage(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    std::mt19937 random(1);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < 3 * width; ++x) row[x] = static_cast<std::uint8_t>((x + y) / 16 + (random() & 15));
    }
    return bitmap;
}

void Resample(benchmark::State& state) {
    const int srcW = static_cast<int>(state.range(0)), srcH = static_cast<int>(state.range(1));
    const int dstW = static_cast<int>(state.range(2)), dstH = static_cast<int>(state.range(3));
    const FilterTableEntry& filter = FilterTable[static_cast<std::size_t>(state.range(4))];
    TBitmap source = NoisyImage(srcW, srcH);
    for (auto _ : state) {
        TBitmap dest;
        dest.SetSize(dstW, dstH);
        ResampleBitmap(source, dest, filter.Kernel, filter.Support);
        benchmark::DoNotOptimize(dest.Bits().data());
    }
    state.SetLabel(std::string(filter.Name));
    state.counters["src_MP/s"] = benchmark::Counter(static_cast<double>(srcW) * srcH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Cases(benchmark::internal::Benchmark* b) {
    for (int filter : {0, 1, 5, 6}) {  // Box, Triangle, Lanczos3, Mitchell
        b->Args({6000, 4000, 800, 533, filter});
        b->Args({6000, 4000, 3000, 2000, filter});
        b->Args({640, 480, 1920, 1440, filter});
    }
}

BENCHMARK(Resample)->Apply(Cases)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
