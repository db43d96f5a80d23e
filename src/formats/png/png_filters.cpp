#include "formats/png/png_filters.h"

#include <algorithm>
#include <cstdlib>

namespace pictorand {

namespace {

std::uint8_t Paeth(int left, int up, int upperLeft) {
    const int estimate = left + up - upperLeft;
    const int toLeft = std::abs(estimate - left), toUp = std::abs(estimate - up), toUpperLeft = std::abs(estimate - upperLeft);
    if (toLeft <= toUp && toLeft <= toUpperLeft) return static_cast<std::uint8_t>(left);
    if (toUp <= toUpperLeft) return static_cast<std::uint8_t>(up);
    return static_cast<std::uint8_t>(upperLeft);
}

// How many bytes from position 2 on repeat one of the two bytes before them.
int RepeatCount(const std::vector<std::uint8_t>& bytes) {
    int count = 0;
    for (std::size_t i = 2; i < bytes.size(); ++i) {
        if (bytes[i] == bytes[i - 1] || bytes[i] == bytes[i - 2]) ++count;
    }
    return count;
}

}  // namespace

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
