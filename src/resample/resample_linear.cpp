#include "resample/resample_linear.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/exceptions.h"
#include "resample/resample_bitmap.h"
#include "resample/row_split.h"

namespace pictorand {

namespace {

constexpr std::string_view SourceTooSmall = "Source bitmap too small";
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

}  // namespace

float SrgbToLinear(std::uint8_t value) { return DecodeTable()[value]; }

std::uint8_t LinearToSrgb(float light) {
    const float clamped = std::clamp(light, 0.0f, 1.0f);
    return EncodeTable()[static_cast<std::size_t>(std::lround(clamped * EncodeSteps))];
}

void ResampleBitmapLinear(const TBitmap& input, TBitmap& destination, FilterKernel kernel, float support, TSamplingGrid grid,
                          int threads) {
    const int dstWidth = destination.Width(), dstHeight = destination.Height();
    const int srcWidth = input.Width(), srcHeight = input.Height();
    if (srcWidth < 1 || srcHeight < 1) throw EInvalidGraphicOperation(std::string(SourceTooSmall));
    const TWeightLists horizontal(srcWidth, dstWidth, kernel, support, grid);
    const TWeightLists vertical(srcHeight, dstHeight, kernel, support, grid);

    const bool alpha = input.HasAlpha() && input.PixelFormat() == TPixelFormat::pf32bit;
    TBitmap converted;
    const TBitmap* source = &input;
    if (!alpha && input.PixelFormat() != TPixelFormat::pf24bit) {
        converted.Assign(input);
        converted.SetPixelFormat(TPixelFormat::pf24bit);
        source = &converted;
    }
    const int channels = alpha ? 4 : 3;
    const std::size_t workStride = static_cast<std::size_t>(dstWidth) * static_cast<std::size_t>(channels);
    // The horizontal pass's result: every source row at the destination's width.
    std::vector<float> work(workStride * static_cast<std::size_t>(srcHeight));
    const std::array<float, 256>& decode = DecodeTable();

    SplitRows(srcHeight, threads, 1, RowsPerThreadAtLeast, [&](int first, int count) {
        std::vector<float> row(static_cast<std::size_t>(srcWidth) * static_cast<std::size_t>(channels));
        for (int y = first; y < first + count; ++y) {
            const std::uint8_t* in = source->ScanLine(y);
            for (int x = 0; x < srcWidth; ++x) {
                float* out = row.data() + static_cast<std::ptrdiff_t>(x) * channels;
                const std::uint8_t* p = in + static_cast<std::ptrdiff_t>(x) * channels;
                const float coverage = alpha ? p[3] / 255.0f : 1.0f;
                for (int k = 0; k < 3; ++k) out[k] = decode[p[k]] * coverage;
                if (alpha) out[3] = coverage;
            }
            float* sums = work.data() + static_cast<std::size_t>(y) * workStride;
            for (int i = 0; i < dstWidth; ++i) {
                float s[4] = {0.0f, 0.0f, 0.0f, 0.0f};
                for (const WeightEntry* e = horizontal.Begin(i); e != horizontal.End(i); ++e) {
                    const float* p = row.data() + static_cast<std::ptrdiff_t>(e->SourceIndex) * channels;
                    for (int k = 0; k < 4; ++k) s[k] += e->Weight * (k < channels ? p[k] : 0.0f);
                }
                std::copy(s, s + channels, sums + static_cast<std::ptrdiff_t>(i) * channels);
            }
        }
    });

    destination.Clear();
    destination.SetPixelFormat(alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    destination.SetSize(dstWidth, dstHeight);
    destination.SetHasAlpha(alpha);
    SplitRows(dstHeight, threads, 1, RowsPerThreadAtLeast, [&](int first, int count) {
        std::vector<float> sums(workStride);
        for (int y = first; y < first + count; ++y) {
            std::fill(sums.begin(), sums.end(), 0.0f);
            for (const WeightEntry* e = vertical.Begin(y); e != vertical.End(y); ++e) {
                const float* row = work.data() + static_cast<std::size_t>(e->SourceIndex) * workStride;
                const float w = e->Weight;
                for (std::size_t k = 0; k < workStride; ++k) sums[k] += w * row[k];
            }
            std::uint8_t* out = destination.ScanLine(y);
            for (int x = 0; x < dstWidth; ++x) {
                const float* s = sums.data() + static_cast<std::ptrdiff_t>(x) * channels;
                std::uint8_t* p = out + static_cast<std::ptrdiff_t>(x) * channels;
                if (!alpha) {
                    for (int k = 0; k < 3; ++k) p[k] = LinearToSrgb(s[k]);
                    continue;
                }
                const float coverage = std::clamp(s[3], 0.0f, 1.0f);
                const std::uint8_t a = static_cast<std::uint8_t>(std::lround(coverage * 255.0f));
                for (int k = 0; k < 3; ++k) p[k] = a == 0 ? 0 : LinearToSrgb(s[k] / coverage);
                p[3] = a;
            }
        }
    });
}

}  // namespace pictorand
