// The two passes of the resampler over 24-bit rows, built once per instruction set.
// The interface is plain data only, so the builds share no inline code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "resample/weight_lists.h"

namespace pictorand {

// Rows of the horizontal pass handled together, so that one weight is applied to a
// contiguous run of samples.
inline constexpr int ResampleRowBlock = 16;

// Rows of a 24-bit image reached through its first row and row stride (signed bytes).
struct TRowView {
    std::uint8_t* First;
    std::ptrdiff_t Stride;
    int Width;
    int Height;
};

// The weight lists of one pass: list i is Entries[Starts[i]] up to Entries[Starts[i + 1]].
struct TWeightSpan {
    const WeightEntry* Entries;
    const std::size_t* Starts;
    int Count;
};

struct TResamplePasses {
    // Source rows to work rows, one weight list per work column. block holds
    // source.Width * ResampleRowBlock * 3 floats of scratch space.
    void (*Horizontal)(const TRowView& source, const TRowView& work, const TWeightSpan& lists, float* block);
    // Work rows to destination rows, one weight list per destination row; workRows[i] is
    // the work row of source row i, for every row the lists name. sums holds dest.Width * 3
    // floats of scratch space.
    void (*Vertical)(const std::uint8_t* const* workRows, const TRowView& dest, const TWeightSpan& lists, float* sums);
};

TResamplePasses GenericPasses();
TResamplePasses Avx2Passes();
// The fastest build this processor runs.
TResamplePasses BestPasses();

}  // namespace pictorand
