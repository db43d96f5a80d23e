// The precomputed weights of one resampling pass: for every output sample, the source
// samples that contribute to it and their weights, in the order they are added.
#pragma once

#include <cstdint>
#include <vector>

#include "resample/filter_kernels.h"

namespace pictorand {

struct WeightEntry {
    std::int32_t SourceIndex;
    float Weight;
};

class TWeightLists {
public:
    // Builds one list per output sample for scaling sourceSize samples to destSize.
    // Raises EZeroDivide for a scale of 0 (one output sample from several) and
    // EInvalidGraphicOperation for an empty destination.
    TWeightLists(int sourceSize, int destSize, FilterKernel kernel, float support);

    int Count() const { return static_cast<int>(starts_.size()) - 1; }
    const WeightEntry* Entries() const { return entries_.data(); }
    const std::size_t* Starts() const { return starts_.data(); }
    const WeightEntry* Begin(int output) const { return entries_.data() + starts_[static_cast<std::size_t>(output)]; }
    const WeightEntry* End(int output) const { return entries_.data() + starts_[static_cast<std::size_t>(output) + 1]; }
    // The longest list.
    int MaxLength() const { return maxLength_; }

private:
    std::vector<WeightEntry> entries_;
    std::vector<std::size_t> starts_;
    int maxLength_ = 0;
};

// The scale of a pass: the first and last output samples sit on the first and last
// source samples.
float ResampleScale(int sourceSize, int destSize);

}  // namespace pictorand
