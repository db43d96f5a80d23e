// The oracle: the resampler written out step by step, sample by sample, with every
// sum kept at extended precision and rounded to a 32-bit float after each addition.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "graphics/bitmap.h"
#include "resample/filter_kernels.h"

namespace pictorand::testing {

struct TReferenceEntry {
    int Index;
    float Weight;
};

inline std::vector<std::vector<TReferenceEntry>> ReferenceLists(int srcSize, int dstSize, FilterKernel kernel,
                                                                 float support) {
    using Extended = long double;
    const float scale = srcSize == 1 ? static_cast<float>(static_cast<Extended>(dstSize) / srcSize)
                                     : static_cast<float>(static_cast<Extended>(dstSize - 1) / (srcSize - 1));
    std::vector<std::vector<TReferenceEntry>> lists(static_cast<std::size_t>(dstSize));
    for (int i = 0; i < dstSize; ++i) {
        const float centre = static_cast<float>(i / static_cast<Extended>(scale));
        float w = support, fscale = 1;
        if (scale < 1) {
            w = static_cast<float>(support / static_cast<Extended>(scale));
            fscale = static_cast<float>(1 / static_cast<Extended>(scale));
        }
        const auto left = static_cast<long long>(std::floor(static_cast<Extended>(centre) - w));
        const auto right = static_cast<long long>(std::ceil(static_cast<Extended>(centre) + w));
        for (long long j = left; j <= right; ++j) {
            float weight;
            if (scale < 1) {
                const float x = static_cast<float>((static_cast<Extended>(centre) - j) / fscale);
                weight = static_cast<float>(kernel(x) / static_cast<Extended>(fscale));
            } else {
                weight = kernel(static_cast<float>(static_cast<Extended>(centre) - j));
            }
            if (weight == 0) continue;
            long long n = j;
            if (j < 0) n = -j;
            else if (j >= srcSize) n = srcSize - j + srcSize - 1;
            if (n < 0) n = 0;
            if (n > srcSize - 1) n = srcSize - 1;
            lists[static_cast<std::size_t>(i)].push_back({static_cast<int>(n), weight});
        }
    }
    return lists;
}

inline std::uint8_t ReferenceByte(float sum) {
    if (sum > 255) return 255;
    if (sum < 0) return 0;
    return static_cast<std::uint8_t>(std::nearbyint(sum));
}

inline float ReferenceAdd(float sum, float weight, std::uint8_t channel) {
    return static_cast<float>(static_cast<long double>(sum) + static_cast<long double>(weight) * channel);
}

// Source must be 24-bit; destination gets the given size.
inline TBitmap ReferenceResample(const TBitmap& source, int dstWidth, int dstHeight, FilterKernel kernel, float support) {
    const int srcWidth = source.Width(), srcHeight = source.Height();
    TBitmap work;
    work.SetPixelFormat(TPixelFormat::pf24bit);
    work.SetSize(dstWidth, srcHeight);
    const auto columns = ReferenceLists(srcWidth, dstWidth, kernel, support);
    for (int k = 0; k < srcHeight; ++k) {
        for (int i = 0; i < dstWidth; ++i) {
            float sums[3] = {0, 0, 0};
            for (const TReferenceEntry& e : columns[static_cast<std::size_t>(i)])
                for (int c = 0; c < 3; ++c) sums[c] = ReferenceAdd(sums[c], e.Weight, source.ScanLine(k)[3 * e.Index + c]);
            for (int c = 0; c < 3; ++c) work.ScanLine(k)[3 * i + c] = ReferenceByte(sums[c]);
        }
    }
    TBitmap dest;
    dest.SetPixelFormat(TPixelFormat::pf24bit);
    dest.SetSize(dstWidth, dstHeight);
    const auto rows = ReferenceLists(srcHeight, dstHeight, kernel, support);
    for (int k = 0; k < dstWidth; ++k) {
        for (int i = 0; i < dstHeight; ++i) {
            float sums[3] = {0, 0, 0};
            for (const TReferenceEntry& e : rows[static_cast<std::size_t>(i)])
                for (int c = 0; c < 3; ++c) sums[c] = ReferenceAdd(sums[c], e.Weight, work.ScanLine(e.Index)[3 * k + c]);
            for (int c = 0; c < 3; ++c) dest.ScanLine(i)[3 * k + c] = ReferenceByte(sums[c]);
        }
    }
    return dest;
}

}  // namespace pictorand::testing
