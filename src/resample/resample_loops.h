// The pixel loops of the two resampling passes. This header is compiled once per
// instruction set (plain, and AVX2 with FMA), each time inside its own namespace named
// by RESAMPLE_ISA so the builds never mix. Every sum sees the same additions in the
// same order in each build, each addition rounded once to a 32-bit float (a fused
// multiply-add: the product of a float and a byte is exact), so all builds give
// identical bytes. Only built-ins are called here, never shared library templates.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__AVX2__) && defined(__FMA__)
#include <immintrin.h>
#define RESAMPLE_AVX2 1
#endif

#include "resample/resample_passes.h"

#ifndef RESAMPLE_ISA
#error "RESAMPLE_ISA names the instruction-set namespace of this build"
#endif

namespace pictorand::RESAMPLE_ISA {

constexpr int RowBlock = ResampleRowBlock;
constexpr int BlockSamples = RowBlock * 3;

// Above 255 gives 255, below 0 gives 0, otherwise the nearest integer, ties to even.
inline void StoreBytes(const float* __restrict sums, std::uint8_t* __restrict out, int count) {
    for (int k = 0; k < count; ++k) {
        const float v = sums[k] > 255.0f ? 255.0f : sums[k] < 0.0f ? 0.0f : sums[k];
        out[k] = static_cast<std::uint8_t>(static_cast<int>(__builtin_rintf(v)));
    }
}

// Horizontal pass over one block of rows. The block holds the rows' samples column by
// column as floats: block[(j * RowBlock + r) * 3 + c] is channel c of source pixel
// (j, r). Output column i of row r is written to outRows[r] + 3 * i.
inline void HorizontalBlock(const float* __restrict block, const TWeightSpan& lists, std::uint8_t* const* outRows,
                            int rows) {
    alignas(32) float sums[BlockSamples];
    alignas(32) std::uint8_t bytes[BlockSamples];
    for (int i = 0; i < lists.Count; ++i) {
        const WeightEntry* end = lists.Entries + lists.Starts[i + 1];
#ifdef RESAMPLE_AVX2
        static_assert(BlockSamples == 48, "six vectors of eight samples");
        __m256 s0 = _mm256_setzero_ps(), s1 = s0, s2 = s0, s3 = s0, s4 = s0, s5 = s0;
        for (const WeightEntry* e = lists.Entries + lists.Starts[i]; e != end; ++e) {
            const float* column = block + static_cast<std::ptrdiff_t>(e->SourceIndex) * BlockSamples;
            const __m256 w = _mm256_set1_ps(e->Weight);
            s0 = _mm256_fmadd_ps(w, _mm256_loadu_ps(column), s0);
            s1 = _mm256_fmadd_ps(w, _mm256_loadu_ps(column + 8), s1);
            s2 = _mm256_fmadd_ps(w, _mm256_loadu_ps(column + 16), s2);
            s3 = _mm256_fmadd_ps(w, _mm256_loadu_ps(column + 24), s3);
            s4 = _mm256_fmadd_ps(w, _mm256_loadu_ps(column + 32), s4);
            s5 = _mm256_fmadd_ps(w, _mm256_loadu_ps(column + 40), s5);
        }
        _mm256_store_ps(sums, s0);
        _mm256_store_ps(sums + 8, s1);
        _mm256_store_ps(sums + 16, s2);
        _mm256_store_ps(sums + 24, s3);
        _mm256_store_ps(sums + 32, s4);
        _mm256_store_ps(sums + 40, s5);
#else
        for (int k = 0; k < BlockSamples; ++k) sums[k] = 0.0f;
        for (const WeightEntry* e = lists.Entries + lists.Starts[i]; e != end; ++e) {
            const float* __restrict column = block + static_cast<std::ptrdiff_t>(e->SourceIndex) * BlockSamples;
            const float w = e->Weight;
            for (int k = 0; k < BlockSamples; ++k) sums[k] = __builtin_fmaf(w, column[k], sums[k]);
        }
#endif
        StoreBytes(sums, bytes, BlockSamples);
        for (int r = 0; r < rows; ++r) std::memcpy(outRows[r] + 3 * static_cast<std::ptrdiff_t>(i), bytes + r * 3, 3);
    }
}

// Converts the samples of one block of rows into the column-by-column float layout.
inline void LoadBlock(const std::uint8_t* const* rows, int rowCount, int width, float* __restrict block) {
    for (int j = 0; j < width; ++j) {
        float* out = block + static_cast<std::ptrdiff_t>(j) * BlockSamples;
        for (int r = 0; r < RowBlock; ++r) {
            const std::uint8_t* pixel = rows[r < rowCount ? r : 0] + 3 * static_cast<std::ptrdiff_t>(j);
            out[r * 3] = pixel[0];
            out[r * 3 + 1] = pixel[1];
            out[r * 3 + 2] = pixel[2];
        }
    }
}

// Vertical pass for one output row: sums over the listed work rows, then stored.
inline void VerticalRow(const std::uint8_t* const* workRows, const WeightEntry* begin, const WeightEntry* end,
                        float* __restrict sums, std::uint8_t* __restrict out, int samples) {
    int k = 0;
#ifdef RESAMPLE_AVX2
    // Thirty-two samples at a time with the sums held in registers across the entries.
    auto widen = [](const std::uint8_t* p) { return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)))); };
    for (; k + 32 <= samples; k += 32) {
        __m256 s0 = _mm256_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
        for (const WeightEntry* e = begin; e != end; ++e) {
            const std::uint8_t* row = workRows[e->SourceIndex] + k;
            const __m256 w = _mm256_set1_ps(e->Weight);
            s0 = _mm256_fmadd_ps(w, widen(row), s0);
            s1 = _mm256_fmadd_ps(w, widen(row + 8), s1);
            s2 = _mm256_fmadd_ps(w, widen(row + 16), s2);
            s3 = _mm256_fmadd_ps(w, widen(row + 24), s3);
        }
        _mm256_storeu_ps(sums + k, s0);
        _mm256_storeu_ps(sums + k + 8, s1);
        _mm256_storeu_ps(sums + k + 16, s2);
        _mm256_storeu_ps(sums + k + 24, s3);
    }
#endif
    for (int t = k; t < samples; ++t) sums[t] = 0.0f;
    for (const WeightEntry* e = begin; e != end; ++e) {
        const std::uint8_t* __restrict row = workRows[e->SourceIndex];
        const float w = e->Weight;
        for (int t = k; t < samples; ++t) sums[t] = __builtin_fmaf(w, static_cast<float>(row[t]), sums[t]);
    }
    StoreBytes(sums, out, samples);
}

}  // namespace pictorand::RESAMPLE_ISA
