// The output-raster stage: turns the source raster into the target raster by the size
// rule, as a resized copy, an unchanged copy, or the 32-pixel icon fit.
#pragma once

#include <optional>
#include <utility>

#include <memory>

#include "engine/conversion_settings.h"
#include "engine/prepared_file.h"
#include "engine/run_host.h"
#include "graphics/bitmap.h"
#include "resample/row_resampler.h"

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

// The target raster made from the source, or the reason the size or the resampling
// failed. The host's event pump runs twice: after the size computation and after the
// resampling. The resampler turns the source into 24 bits first. A source decoded at a
// reduced size gives the size of the whole picture as nominalSize, which the size rules
// use instead of the raster's own. The resampler shares its rows among up to threads
// threads, with the same bytes for any number.
TStageRaster MakeOutputRaster(TBitmap& source, const TSettingsSource& settings, TRunHost& host,
                              std::optional<std::pair<int, int>> nominalSize = std::nullopt, int threads = 1);

// The scaling MakeOutputRaster would give a source of width x height without alpha,
// ready to take its rows as they are decoded, when scaling is all it would do to it (a
// size rule that scales, in the stored colours); nothing otherwise, or when the size or
// the filter fails, which MakeOutputRaster then says.
std::unique_ptr<TRowResampler> PlannedRowScaling(const ConversionSettings& settings, int width, int height, int threads = 1);

// The target raster of a source scaled as it was decoded: the raster itself. The host's
// event pump runs twice, as for MakeOutputRaster.
TStageRaster TakeScaledRaster(std::unique_ptr<TBitmap> scaled, TRunHost& host);

// The size the target will have for a source of width x height, when it is scaled at
// all (not for NoResize, whose target is the source itself).
std::optional<std::pair<int, int>> PlannedTargetSize(const ConversionSettings& settings, int width, int height);

}  // namespace pictorand
