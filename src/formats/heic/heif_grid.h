// The canvas a HEIF grid picture claims. libheif builds a grid's canvas at the size its
// grid item gives, whatever the picture's own size says; the reader checks that size first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace pictorand {

// The output width and height of the primary item when it is a grid; nothing when it is
// not, or when the boxes that would say so cannot be read.
std::optional<std::pair<std::uint32_t, std::uint32_t>> HeifGridCanvas(std::span<const std::uint8_t> file);

}  // namespace pictorand
