// TCmykToBgr, TLabToBgr, TRgb16ToBgr: a caller's own conversion of CMYK, CIELab or 16-bit
// RGB samples, used by the readers in place of their fixed formulas (a colour profile's, say).
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

// Converts count pixels of 16-bit red, green, blue into count pixels of 8-bit blue, green,
// red: the samples keep their precision until the one rounding.
using TRgb16ToBgr = std::function<void(const std::uint16_t* rgb, std::uint8_t* bgr, std::size_t count)>;

}  // namespace pictorand
