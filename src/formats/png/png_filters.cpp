#include "formats/png/png_filters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pictorand {

namespace {

std::uint8_t Paeth(int left, int up, int upperLeft) {
    const int estimate = left + up - upperLeft;
    const int toLeft = std::abs(estimate - left), toUp = std::abs(estimate - up), toUpperLeft = std::abs(estimate - upperLeft);
    if (toLeft <= toUp && toLeft <= toUpperLeft) return static_cast<std::uint8_t>(left);
    if (toUp <= toUpperLeft) return static_cast<std::uint8_t>(up);
    return static_cast<std::uint8_t>(upperLeft);
}

#if defined(__SSE2__)
// The Paeth filter undone a pixel at a time, the pixel's 3 or 4 bytes side by side in
// 16-bit lanes: the same choice as Paeth() above (left on ties, then up).
template <std::size_t Bpp>
void UnpaethSse2(std::uint8_t* r, const std::uint8_t* p, std::size_t n) {
    const __m128i zero = _mm_setzero_si128();
    // Four bytes are read at once where the row has them, the fourth of a 3-byte pixel
    // masked off; the last pixel's three are gathered alone.
    const __m128i pixelLanes = _mm_set_epi16(0, 0, 0, 0, Bpp == 4 ? -1 : 0, -1, -1, -1);
    auto load = [&](const std::uint8_t* at, bool whole) {
        std::uint32_t v = 0;
        if (whole) std::memcpy(&v, at, 4);
        else std::memcpy(&v, at, Bpp);
        return _mm_and_si128(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), zero), pixelLanes);
    };
    auto abs16 = [&](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
    auto pick = [](__m128i mask, __m128i yes, __m128i no) { return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no)); };
    __m128i left = zero, upperLeft = zero;
    for (std::size_t i = 0; i < n; i += Bpp) {
        const bool whole = i + 4 <= n;
        const __m128i up = load(p + i, whole);
        const __m128i toLeft = abs16(_mm_sub_epi16(up, upperLeft));
        const __m128i toUp = abs16(_mm_sub_epi16(left, upperLeft));
        const __m128i toUpperLeft = abs16(_mm_add_epi16(_mm_sub_epi16(up, upperLeft), _mm_sub_epi16(left, upperLeft)));
        const __m128i smallest = _mm_min_epi16(_mm_min_epi16(toLeft, toUp), toUpperLeft);
        __m128i predicted = pick(_mm_cmpeq_epi16(toUp, smallest), up, upperLeft);
        predicted = pick(_mm_cmpeq_epi16(toLeft, smallest), left, predicted);
        const __m128i value = _mm_and_si128(_mm_add_epi16(load(r + i, whole), predicted), _mm_set1_epi16(0xFF));
        const auto packed = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(value, zero)));
        std::memcpy(r + i, &packed, Bpp);
        left = value;
        upperLeft = up;
    }
}
#endif

// How many bytes from position 2 on repeat one of the two bytes before them.
int RepeatCount(const std::vector<std::uint8_t>& bytes) {
    int count = 0;
    for (std::size_t i = 2; i < bytes.size(); ++i) {
        if (bytes[i] == bytes[i - 1] || bytes[i] == bytes[i - 2]) ++count;
    }
    return count;
}

}  // namespace

void Unfilter(std::uint8_t* row, const std::uint8_t* previous, std::size_t size, std::size_t bpp) {
    // The first pixel's bytes have no left neighbour. Each filter has its own loop, the
    // byte-wise ones simple enough for the compiler to vectorise.
    std::uint8_t* const r = row + 1;
    const std::uint8_t* const p = previous + 1;
    const std::size_t n = size - 1;
    const std::size_t lead = std::min(bpp, n);
    switch (static_cast<TPngFilter>(row[0])) {
        case TPngFilter::Sub:
            for (std::size_t i = bpp; i < n; ++i) r[i] = static_cast<std::uint8_t>(r[i] + r[i - bpp]);
            break;
        case TPngFilter::Up:
            for (std::size_t i = 0; i < n; ++i) r[i] = static_cast<std::uint8_t>(r[i] + p[i]);
            break;
        case TPngFilter::Average:
            for (std::size_t i = 0; i < lead; ++i) r[i] = static_cast<std::uint8_t>(r[i] + p[i] / 2);
            for (std::size_t i = bpp; i < n; ++i) r[i] = static_cast<std::uint8_t>(r[i] + (r[i - bpp] + p[i]) / 2);
            break;
        case TPngFilter::Paeth:
#if defined(__SSE2__)
            if (bpp == 3 && n % 3 == 0) {
                UnpaethSse2<3>(r, p, n);
                break;
            }
            if (bpp == 4 && n % 4 == 0) {
                UnpaethSse2<4>(r, p, n);
                break;
            }
#endif
            for (std::size_t i = 0; i < lead; ++i) r[i] = static_cast<std::uint8_t>(r[i] + p[i]);  // Paeth(0, up, 0) is up
            for (std::size_t i = bpp; i < n; ++i) r[i] = static_cast<std::uint8_t>(r[i] + Paeth(r[i - bpp], p[i], p[i - bpp]));
            break;
        default: break;
    }
}

TRowFilter::TRowFilter(TFilterSet allowed, std::size_t bytesPerRow, std::size_t offset)
    : allowed_(allowed), bytesPerRow_(bytesPerRow), offset_(std::max<std::size_t>(offset, 1)), prior_(bytesPerRow, 0) {
    for (auto& out : outputs_) out.resize(bytesPerRow);
}

void TRowFilter::Reset() { std::fill(prior_.begin(), prior_.end(), 0); }

void TRowFilter::Compute(TPngFilter filter, std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out) const {
    for (std::size_t i = 0; i < bytesPerRow_; ++i) {
        const int left = i >= offset_ ? row[i - offset_] : 0;
        const int up = prior_[i];
        const int upperLeft = i >= offset_ ? prior_[i - offset_] : 0;
        int predicted = 0;
        switch (filter) {
            case TPngFilter::None: predicted = 0; break;
            case TPngFilter::Sub: predicted = left; break;
            case TPngFilter::Up: predicted = up; break;
            case TPngFilter::Average: predicted = (left + up) / 2; break;
            case TPngFilter::Paeth: predicted = Paeth(left, up, upperLeft); break;
        }
        out[i] = static_cast<std::uint8_t>(row[i] - predicted);
    }
}

std::span<const std::uint8_t> TRowFilter::Apply(std::span<const std::uint8_t> row, TPngFilter& chosen) {
    const bool only = allowed_ != 0 && (allowed_ & (allowed_ - 1)) == 0;
    for (int f = 1; f <= 4; ++f) {
        if (allowed_ & (1u << f)) Compute(static_cast<TPngFilter>(f), row, outputs_[f]);
    }
    std::copy(row.begin(), row.end(), outputs_[0].begin());
    std::copy(row.begin(), row.end(), prior_.begin());
    chosen = TPngFilter::None;
    if (allowed_ == 0 || allowed_ == FilterBit(TPngFilter::None)) return outputs_[0];
    int best = 0;
    for (int f = 0; f <= 4; ++f) {
        if (!(allowed_ & (1u << f))) continue;
        if (only) {
            chosen = static_cast<TPngFilter>(f);
            break;
        }
        const int count = bytesPerRow_ >= 3 ? RepeatCount(outputs_[f]) : 0;
        if (count > best) {
            best = count;
            chosen = static_cast<TPngFilter>(f);
        }
    }
    return outputs_[static_cast<int>(chosen)];
}

}  // namespace pictorand
