// The pass drivers shared by every instruction-set build; included after
// resample_loops.h in a file that defines RESAMPLE_ISA.
#pragma once

namespace pictorand::RESAMPLE_ISA {

inline std::uint8_t* RowOf(const TRowView& view, int y) { return view.First + y * view.Stride; }

inline void HorizontalPass(const TRowView& source, const TRowView& work, const TWeightSpan& lists, float* block) {
    const std::uint8_t* inRows[RowBlock];
    std::uint8_t* outRows[RowBlock];
    for (int first = 0; first < source.Height; first += RowBlock) {
        const int rows = source.Height - first < RowBlock ? source.Height - first : RowBlock;
        for (int r = 0; r < rows; ++r) {
            inRows[r] = RowOf(source, first + r);
            outRows[r] = RowOf(work, first + r);
        }
        LoadBlock(inRows, rows, source.Width, block);
        HorizontalBlock(block, lists, outRows, rows);
    }
}

inline void VerticalPass(const std::uint8_t* const* workRows, const TRowView& dest, const TWeightSpan& lists, float* sums) {
    const int samples = dest.Width * 3;
    for (int i = 0; i < dest.Height; ++i) {
        VerticalRow(workRows, lists.Entries + lists.Starts[i], lists.Entries + lists.Starts[i + 1], sums, RowOf(dest, i),
                    samples);
    }
}

}  // namespace pictorand::RESAMPLE_ISA
