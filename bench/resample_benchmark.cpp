// Throughput of the resamplers on photo-sized 24-bit images, in source megapixels per
// second, with the process's peak resident memory: the classic grid, the centre grid and
// linear light, on one thread and on two.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <random>

#include "resample/filter_kernels.h"
#include "resample/resample_bitmap.h"
#include "resample/resample_linear.h"

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

enum class Way { Corners, Centres, Linear };

void Resample(benchmark::State& state) {
    const int srcW = static_cast<int>(state.range(0)), srcH = static_cast<int>(state.range(1));
    const int dstW = static_cast<int>(state.range(2)), dstH = static_cast<int>(state.range(3));
    const FilterTableEntry& filter = FilterTable[static_cast<std::size_t>(state.range(4))];
    const auto way = static_cast<Way>(state.range(5));
    const int threads = static_cast<int>(state.range(6));
    TBitmap source = NoisyImage(srcW, srcH);
    for (auto _ : state) {
        TBitmap dest;
        dest.SetSize(dstW, dstH);
        if (way == Way::Linear) ResampleBitmapLinear(source, dest, filter.Kernel, filter.Support, TSamplingGrid::Corners, threads);
        else ResampleBitmap(source, dest, filter.Kernel, filter.Support, way == Way::Centres ? TSamplingGrid::Centres : TSamplingGrid::Corners, threads);
        benchmark::DoNotOptimize(dest.Bits().data());
    }
    constexpr const char* WayNames[] = {"corners", "centres", "linear"};
    state.SetLabel(std::string(filter.Name) + " " + WayNames[state.range(5)] + " " + std::to_string(threads) + " thread(s)");
    state.counters["src_MP/s"] = benchmark::Counter(static_cast<double>(srcW) * srcH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Cases(benchmark::internal::Benchmark* b) {
    for (int filter : {0, 1, 5, 6}) {  // Box, Triangle, Lanczos3, Mitchell
        b->Args({6000, 4000, 800, 533, filter, 0, 1});
        b->Args({6000, 4000, 3000, 2000, filter, 0, 1});
        b->Args({640, 480, 1920, 1440, filter, 0, 1});
    }
    // The other ways with Lanczos3, and every way's rows shared between two threads.
    for (int way : {0, 1, 2}) {
        for (int threads : {1, 2}) {
            if (way == 0 && threads == 1) continue;
            b->Args({6000, 4000, 800, 533, 5, way, threads});
            b->Args({6000, 4000, 3000, 2000, 5, way, threads});
        }
    }
}

BENCHMARK(Resample)->Apply(Cases)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
