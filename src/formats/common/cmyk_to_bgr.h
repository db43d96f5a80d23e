// TCmykToBgr, TLabToBgr: a caller's own conversion of CMYK or CIELab samples, used by the
// readers in place of their fixed formulas (a colour profile's, say).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace pictorand {

// Converts count pixels of four 8-bit ink amounts (cyan, magenta, yellow, black; 0 is no
// ink) into count pixels of blue, green, red.
using TCmykToBgr = std::function<void(const std::uint8_t* ink, std::uint8_t* bgr, std::size_t count)>;

// Converts count pixels of L* (0..100), a* and b* (D50) into count pixels of blue, green,
// red.
using TLabToBgr = std::function<void(const double* lab, std::uint8_t* bgr, std::size_t count)>;

}  // namespace pictorand
