// PNG row filters: undoing them on read, and the choice among the allowed ones on write.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pictorand {

enum class TPngFilter : std::uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

// A set of filters as bits 1 << filter type.
using TFilterSet = std::uint8_t;
constexpr TFilterSet FilterBit(TPngFilter filter) { return static_cast<TFilterSet>(1u << static_cast<int>(filter)); }

// Undoes the filter of a row in place: row[0] is its filter type and row[1..size) its
// bytes, previous the prior row undone (zeros for a pass's first row), bpp the bytes of
// a whole pixel (at least one). An unknown filter type leaves the row as it is.
void Unfilter(std::uint8_t* row, const std::uint8_t* previous, std::size_t size, std::size_t bpp);

// Filters rows one after another, keeping the prior row.
class TRowFilter {
public:
    TRowFilter(TFilterSet allowed, std::size_t bytesPerRow, std::size_t offset);

    // Forgets the prior row (the start of an interlace pass).
    void Reset();
    // Filters row (bytesPerRow bytes) and answers the filter type and the filtered bytes.
    std::span<const std::uint8_t> Apply(std::span<const std::uint8_t> row, TPngFilter& chosen);

private:
    void Compute(TPngFilter filter, std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out) const;

    TFilterSet allowed_;
    std::size_t bytesPerRow_;
    std::size_t offset_;
    std::vector<std::uint8_t> prior_;
    std::vector<std::uint8_t> outputs_[5];
};

}  // namespace pictorand
