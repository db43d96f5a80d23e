// Row sinks, which take a picture a band of rows at a time, and TRowBands: a picture's
// rows, decoded in turn from the top or from the bottom, handed to a row sink a band at a
// time. The reader's raster holds one band (BandRows rows, fewer for a short picture); the
// reader decodes each row into Row(i) and calls Done(i) after.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>

#include "graphics/bitmap.h"

namespace pictorand {

// Takes a picture's rows from the top: rows first .. first + count - 1 of the picture as
// rows 0 .. count - 1 of band, which is the picture's width in the picture's pixel format.
using TRowSink = std::function<void(TBitmap& band, int first, int count)>;

class TRowBands {
public:
    static constexpr int BandRows = 256;

    // The rows a raster holding a band of a picture of that height needs.
    static int RowsFor(int height) { return std::min(height, BandRows); }

    TRowBands(TBitmap& band, const TRowSink& sink, int height, bool fromTop)
        : band_(band), sink_(sink), height_(height), fromTop_(fromTop) {}

    // The band's row that holds the i-th row decoded, and where that row goes.
    int BandRow(int i) const { return (fromTop_ ? i : height_ - 1 - i) - First(i); }
    std::uint8_t* Row(int i) { return band_.ScanLine(BandRow(i)); }
    // The i-th row is decoded; a full band, or the last, goes to the sink.
    void Done(int i) {
        if ((i + 1) % BandRows != 0 && i + 1 != height_) return;
        const int count = std::min(BandRows, height_ - i / BandRows * BandRows);
        sink_(band_, First(i), count);
    }

    // The rows from the i-th decoded on are rows of zero bytes, as a whole raster leaves
    // the rows a decode never reaches.
    void ZeroRowsFrom(int i) {
        for (; i < height_; ++i) {
            std::fill_n(Row(i), band_.RowStride(), std::uint8_t{0});
            Done(i);
        }
    }

private:
    // The picture's first row in the band that holds the i-th row decoded.
    int First(int i) const {
        const int start = i / BandRows * BandRows;
        return fromTop_ ? start : height_ - std::min(start + BandRows, height_);
    }

    TBitmap& band_;
    const TRowSink& sink_;
    int height_;
    bool fromTop_;
};

}  // namespace pictorand
