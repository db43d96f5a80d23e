// Saving a raster through one of the graphic classes and loading bytes back, in memory.
#pragma once

#include <cstdint>
#include <vector>

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

}  // namespace pictorand::testing
