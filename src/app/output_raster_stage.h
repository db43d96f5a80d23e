// The output-raster stage: turns SourceBitmap into TargetBitmap by the size rule,
// as a resized copy, an unchanged copy, or the 32-pixel icon fit.
#pragma once

#include <optional>
#include <utility>

#include "app/run_state.h"

namespace pictorand {

// Pixels per centimetre for the centimetre and millimetre rules.
inline constexpr double PixelsPerCentimetre = 28.4;
// The longer side of an icon raster.
inline constexpr int IconSide = 32;

// The target size for a source of width x height under the size rule (not NoResize).
// Raises EConvertError for a number that is not an integer and EZeroDivide for a
// zero-sized source.
std::pair<int, int> CheckSizeFiles(const ConversionSettings& settings, int width, int height);
// The icon fit: the longer side becomes 32 pixels.
std::pair<int, int> IconSize(int width, int height);

// Fills TargetBitmap from SourceBitmap, or frees it and sets ResizeFailed. The host's
// event pump runs twice: after the size computation and after the resampling.
void MakeOutputRaster(TRunState& state);

}  // namespace pictorand
