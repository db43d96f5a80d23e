// TCmykToBgr: a caller's own conversion of CMYK samples, used by the readers in place of
// their fixed formula (a colour profile's, say).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace pictorand {

// Converts count pixels of four 8-bit ink amounts (cyan, magenta, yellow, black; 0 is no
// ink) into count pixels of blue, green, red.
using TCmykToBgr = std::function<void(const std::uint8_t* ink, std::uint8_t* bgr, std::size_t count)>;

}  // namespace pictorand
