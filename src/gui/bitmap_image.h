// ToQImage: a raster of the engine as Qt draws it.
#pragma once

#include <QImage>

#include "graphics/bitmap.h"

namespace pictorand {

// A copy of the pixels, 32 bits each; alpha kept when the raster means it.
QImage ToQImage(const TBitmap& bitmap);

}  // namespace pictorand
