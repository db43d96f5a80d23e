#include "resample/resample_linear.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/exceptions.h"
#include "resample/resample_bitmap.h"
#include "resample/two_pass.h"

namespace pictorand {

namespace {

// Linear light is looked up at this many steps; the steepest part of the sRGB curve
// (12.92 code values per unit near black) moves by well under a code value per step.
constexpr int EncodeSteps = 65535;

const std::array<float, 256>& DecodeTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            t[static_cast<std::size_t>(v)] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return t;
    }();
    return table;
}

const std::vector<std::uint8_t>& EncodeTable() {
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(EncodeSteps + 1);
        for (int i = 0; i <= EncodeSteps; ++i) {
            const double l = static_cast<double>(i) / EncodeSteps;
            const double c = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1.0 / 2.4) - 0.055;
            t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
        }
        return t;
    }();
    return table;
}

// Source rows handled together by the horizontal pass, so that each weight applies to a
// contiguous run of samples the compiler can vectorise.
constexpr int RowBlock = 8;

// Eight floats, which the AVX2 build holds in one register and the plain build in two.
using TEight = float __attribute__((vector_size(32)));

// Each output column of a block: the weighted sum of its listed source columns. Every
// sum sees the same multiplications and additions in the same order in either build, so
// both give the same floats.
template <int Channels>
[[gnu::always_inline]] inline void WeightedColumns(const float* __restrict block, const TWeightLists& lists, int rowCount,
                                                   float* const* outRows) {
    // The sums live in vectors of eight floats, one per Channels rows' worth of samples,
    // so that they stay in registers across the entries.
    constexpr int Samples = RowBlock * Channels;
    constexpr int Vectors = Samples / 8;
    static_assert(Samples % 8 == 0);
    for (int i = 0; i < lists.Count(); ++i) {
        TEight sums[Vectors] = {};
        for (const WeightEntry* e = lists.Begin(i); e != lists.End(i); ++e) {
            const float* column = block + static_cast<std::ptrdiff_t>(e->SourceIndex) * Samples;
            const float w = e->Weight;
#pragma GCC unroll 4
            for (int v = 0; v < Vectors; ++v) {
                TEight samples;
                std::memcpy(&samples, column + 8 * v, sizeof samples);
                sums[v] += w * samples;
            }
        }
        float flat[Samples];
        std::memcpy(flat, sums, sizeof flat);
        for (int r = 0; r < rowCount; ++r) std::copy_n(flat + r * Channels, Channels, outRows[r] + static_cast<std::ptrdiff_t>(i) * Channels);
    }
}

// One destination row of the vertical pass: the weighted sum of the listed work rows,
// 32 samples at a time with the sums held in registers across the entries. Each sum sees
// the entries in list order, as in the horizontal pass.
[[gnu::always_inline]] inline void WeightedRowsBody(const float* work, std::size_t stride, const WeightEntry* begin, const WeightEntry* end,
                                                    float* sums) {
    std::size_t k = 0;
    for (; k + 32 <= stride; k += 32) {
        TEight s[4] = {};
        for (const WeightEntry* e = begin; e != end; ++e) {
            const float* row = work + static_cast<std::size_t>(e->SourceIndex) * stride + k;
            const float w = e->Weight;
#pragma GCC unroll 4
            for (int v = 0; v < 4; ++v) {
                TEight samples;
                std::memcpy(&samples, row + 8 * v, sizeof samples);
                s[v] += w * samples;
            }
        }
        std::memcpy(sums + k, s, sizeof s);
    }
    for (; k < stride; ++k) {
        float s = 0.0f;
        for (const WeightEntry* e = begin; e != end; ++e) s += e->Weight * work[static_cast<std::size_t>(e->SourceIndex) * stride + k];
        sums[k] = s;
    }
}

// The two loops built once more for AVX2, chosen when the processor has it.
#if defined(__x86_64__) || defined(__i386__)
#define PICTORAND_LINEAR_AVX2 1
template <int Channels>
[[gnu::target("avx2")]] void WeightedColumnsAvx2(const float* block, const TWeightLists& lists, int rowCount, float* const* outRows) {
    WeightedColumns<Channels>(block, lists, rowCount, outRows);
}
[[gnu::target("avx2")]] void WeightedRowsAvx2(const float* work, std::size_t stride, const WeightEntry* begin, const WeightEntry* end,
                                              float* sums) {
    WeightedRowsBody(work, stride, begin, end, sums);
}
bool WideVectors() {
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
}
#endif

void WeightedRows(const float* work, std::size_t stride, const WeightEntry* begin, const WeightEntry* end, float* sums) {
#ifdef PICTORAND_LINEAR_AVX2
    if (WideVectors()) return WeightedRowsAvx2(work, stride, begin, end, sums);
#endif
    WeightedRowsBody(work, stride, begin, end, sums);
}

// The horizontal pass over up to RowBlock rows of Channels samples (the fourth straight
// alpha, which premultiplies the colours in linear light). The block holds the rows
// column by column: block[(j * RowBlock + r) * Channels + c].
template <int Channels>
void HorizontalBlock(const std::uint8_t* const* rows, int rowCount, int srcWidth, const TWeightLists& lists, float* __restrict block,
                     float* const* outRows) {
    constexpr int Samples = RowBlock * Channels;
    const std::array<float, 256>& decode = DecodeTable();
    for (int j = 0; j < srcWidth; ++j) {
        float* column = block + static_cast<std::ptrdiff_t>(j) * Samples;
        for (int r = 0; r < RowBlock; ++r) {
            const std::uint8_t* p = rows[r < rowCount ? r : 0] + static_cast<std::ptrdiff_t>(j) * Channels;
            const float coverage = Channels == 4 ? p[Channels - 1] / 255.0f : 1.0f;
            for (int c = 0; c < 3; ++c) column[r * Channels + c] = decode[p[c]] * coverage;
            if constexpr (Channels == 4) column[r * Channels + 3] = coverage;
        }
    }
#ifdef PICTORAND_LINEAR_AVX2
    if (WideVectors()) return WeightedColumnsAvx2<Channels>(block, lists, rowCount, outRows);
#endif
    WeightedColumns<Channels>(block, lists, rowCount, outRows);
}

// The code value of a light level through the encoding table.
inline std::uint8_t Encode(const std::uint8_t* table, float light) {
    return table[static_cast<std::size_t>(std::clamp(light, 0.0f, 1.0f) * EncodeSteps + 0.5f)];
}

}  // namespace

float SrgbToLinear(std::uint8_t value) { return DecodeTable()[value]; }

std::uint8_t LinearToSrgb(float light) { return Encode(EncodeTable().data(), light); }

void ResampleBitmapLinear(const TBitmap& input, TBitmap& destination, FilterKernel kernel, float support, TSamplingGrid grid,
                          int threads) {
    const int dstWidth = destination.Width(), dstHeight = destination.Height();
    const int srcWidth = input.Width(), srcHeight = input.Height();
    const bool alpha = input.HasAlpha() && input.PixelFormat() == TPixelFormat::pf32bit;
    const int channels = alpha ? 4 : 3;
    const std::size_t workStride = static_cast<std::size_t>(dstWidth) * static_cast<std::size_t>(channels);
    TBitmap converted;
    const TBitmap* source = &input;
    // The horizontal pass's result: every source row at the destination's width.
    // Every element is written by the horizontal pass before it is read.
    std::unique_ptr<float[]> work;
    auto prepare = [&] {
        if (!alpha && input.PixelFormat() != TPixelFormat::pf24bit) {
            converted.Assign(input);
            converted.SetPixelFormat(TPixelFormat::pf24bit);
            source = &converted;
        }
        work.reset(new float[workStride * static_cast<std::size_t>(srcHeight)]);
        destination.Clear();
        destination.SetPixelFormat(alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
        destination.SetSize(dstWidth, dstHeight);
        destination.SetHasAlpha(alpha);
    };
    const std::uint8_t* encode = EncodeTable().data();
    auto horizontalPass = [&](int first, int count, const TWeightLists& horizontal) {
        std::vector<float> block(static_cast<std::size_t>(srcWidth) * RowBlock * static_cast<std::size_t>(channels));
        const std::uint8_t* rows[RowBlock];
        float* outRows[RowBlock];
        for (int y = first; y < first + count; y += RowBlock) {
            const int rowCount = std::min(RowBlock, first + count - y);
            for (int r = 0; r < rowCount; ++r) {
                rows[r] = source->ScanLine(y + r);
                outRows[r] = work.get() + static_cast<std::size_t>(y + r) * workStride;
            }
            if (alpha) HorizontalBlock<4>(rows, rowCount, srcWidth, horizontal, block.data(), outRows);
            else HorizontalBlock<3>(rows, rowCount, srcWidth, horizontal, block.data(), outRows);
        }
    };
    auto verticalPass = [&](int first, int count, const TWeightLists& vertical) {
        std::vector<float> sums(workStride);
        for (int y = first; y < first + count; ++y) {
            WeightedRows(work.get(), workStride, vertical.Begin(y), vertical.End(y), sums.data());
            std::uint8_t* out = destination.ScanLine(y);
            for (int x = 0; x < dstWidth; ++x) {
                const float* s = sums.data() + static_cast<std::ptrdiff_t>(x) * channels;
                std::uint8_t* p = out + static_cast<std::ptrdiff_t>(x) * channels;
                if (!alpha) {
                    for (int k = 0; k < 3; ++k) p[k] = Encode(encode, s[k]);
                    continue;
                }
                const float coverage = std::clamp(s[3], 0.0f, 1.0f);
                const std::uint8_t a = static_cast<std::uint8_t>(std::lround(coverage * 255.0f));
                for (int k = 0; k < 3; ++k) p[k] = a == 0 ? 0 : Encode(encode, s[k] / coverage);
                p[3] = a;
            }
        }
    };
    ResampleInTwoPasses(srcWidth, srcHeight, dstWidth, dstHeight, kernel, support, grid, threads, RowBlock, prepare, horizontalPass,
                        verticalPass);
}

}  // namespace pictorand
