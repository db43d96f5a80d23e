// The canvas a HEIF grid picture claims. libheif builds a grid's canvas at the size its
// grid item gives, whatever the picture's own size says; the reader checks that size first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace pictorand {

struct THeifGrid {
    // The primary item is a grid.
    bool PrimaryIsGrid = false;
    // The output width and height its grid box gives; nothing when that box cannot be found
    // or read (libheif may still read a box laid out in ways this parser refuses).
    std::optional<std::pair<std::uint32_t, std::uint32_t>> Canvas;
};

// What the file says of its primary item's grid; not a grid when the boxes that would say so
// cannot be read.
THeifGrid HeifGridCanvas(std::span<const std::uint8_t> file);

}  // namespace pictorand
