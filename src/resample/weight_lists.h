// The precomputed weights of one resampling pass: for every output sample, the source
// samples that contribute to it and their weights, in the order they are added.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "resample/filter_kernels.h"

namespace pictorand {

// Where output samples sit on the source: the classic grid puts the first and last output
// samples on the first and last source samples; the centre grid puts output sample i at
// (i + 0.5) x source / destination - 0.5, as pixel centres lie.
enum class TSamplingGrid : std::uint8_t { Corners, Centres };

struct WeightEntry {
    std::int32_t SourceIndex;
    float Weight;
};

class TWeightLists {
public:
    // Builds one list per output sample for scaling sourceSize samples to destSize.
    // Raises EZeroDivide for a scale of 0 (one output sample from several on the classic
    // grid) and EInvalidGraphicOperation for an empty destination. The centre grid's
    // lists are normalised to sum to one.
    TWeightLists(int sourceSize, int destSize, FilterKernel kernel, float support, TSamplingGrid grid = TSamplingGrid::Corners);

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

// The lists for these arguments, kept from one of the last few calls (on any thread)
// that had the same ones: a batch of same-sized pictures computes its weights once.
// Fails as the constructor does.
std::shared_ptr<const TWeightLists> SharedWeightLists(int sourceSize, int destSize, FilterKernel kernel, float support,
                                                      TSamplingGrid grid = TSamplingGrid::Corners);

// The lists of both passes, horizontal first, built side by side when threads allow.
std::pair<std::shared_ptr<const TWeightLists>, std::shared_ptr<const TWeightLists>> BothWeightLists(
    int sourceWidth, int sourceHeight, int destWidth, int destHeight, FilterKernel kernel, float support, TSamplingGrid grid, int threads);

// The scale of a pass: the first and last output samples sit on the first and last
// source samples.
float ResampleScale(int sourceSize, int destSize);

}  // namespace pictorand
