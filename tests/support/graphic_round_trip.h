// Saving a raster through one of the graphic classes and loading bytes back, in memory.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "formats/common/format_descriptor.h"
#include "graphics/bitmap.h"
#include "graphics/stream.h"

namespace pictorand::testing {

// Assigns the bitmap to a new TGraphicClass, lets `configure` set its options, and saves it.
template <class TGraphicClass, class Configure>
std::vector<std::uint8_t> SaveThrough(const TBitmap& bitmap, Configure configure) {
    TGraphicClass graphic;
    graphic.Assign(bitmap);
    configure(graphic);
    TMemoryStream stream;
    graphic.SaveToStream(stream);
    return stream.Bytes();
}

template <class TGraphicClass>
std::vector<std::uint8_t> SaveThrough(const TBitmap& bitmap) {
    return SaveThrough<TGraphicClass>(bitmap, [](TGraphicClass&) {});
}

// Loads the bytes with a new TGraphicClass and assigns its picture to a bitmap.
template <class TGraphicClass>
TBitmap LoadThrough(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TGraphicClass graphic;
    graphic.LoadFromStream(stream);
    TBitmap bitmap;
    bitmap.Assign(graphic);
    return bitmap;
}

// Loads the bytes with a new TGraphicClass whose rows go to a sink a band at a time, and
// compares every row given with the same row of LoadThrough's picture. Answers whether the
// reader gave its rows so; fails the test when a row differs, comes twice or is missing.
template <class TGraphicClass>
bool BandsAreTheWholePicture(const std::vector<std::uint8_t>& bytes) {
    const TBitmap whole = LoadThrough<TGraphicClass>(bytes);
    std::vector<int> given(static_cast<std::size_t>(whole.Height()), 0);
    const TRowSink sink = [&](TBitmap& band, int first, int count) {
        EXPECT_EQ(band.Width(), whole.Width());
        EXPECT_EQ(band.PixelFormat(), whole.PixelFormat());
        EXPECT_LE(count, band.Height());
        for (int r = 0; r < count; ++r) {
            const int row = first + r;
            ASSERT_TRUE(row >= 0 && row < whole.Height()) << row;
            ++given[static_cast<std::size_t>(row)];
            for (int x = 0; x < whole.Width(); ++x) ASSERT_EQ(band.GetPixel(x, r), whole.GetPixel(x, row)) << "row " << row << ", x " << x;
        }
    };
    TMemoryStream stream(bytes);
    TGraphicClass graphic;
    graphic.RowsTo = &sink;
    graphic.LoadFromStream(stream);
    if (!graphic.Streamed()) return false;
    EXPECT_EQ(std::count(given.begin(), given.end(), 1), whole.Height()) << "every row once";
    return true;
}

}  // namespace pictorand::testing
