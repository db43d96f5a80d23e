// MatrixShaperToSrgb: 16-bit RGB through a matrix-shaper profile (three tone curves and
// three colorants) to 8-bit sRGB in floating point, rounded once.
#pragma once

#include <lcms2.h>

#include "formats/common/cmyk_to_bgr.h"

namespace pictorand {

// srgb is Little CMS's sRGB profile, whose colorants and curve the output takes. Nothing
// when the source profile is not a plain matrix-shaper one (it has tables for the
// perceptual intent, or lacks a curve or colorant). Little CMS would take 16-bit samples
// through an interpolated table that misses deep shadows and saturated colours by levels;
// its 8-bit conversion of the same profile gives what this gives.
TRgb16ToBgr MatrixShaperToSrgb(cmsHPROFILE source, cmsHPROFILE srgb);

}  // namespace pictorand
