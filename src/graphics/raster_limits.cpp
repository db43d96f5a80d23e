#include "graphics/raster_limits.h"

namespace pictorand {

namespace {
thread_local std::int64_t cap = DefaultMaxRasterPixels;
}  // namespace

std::int64_t RasterCap() { return cap; }

TRasterCap::TRasterCap(std::int64_t pixels) : previous_(cap) { cap = pixels; }

TRasterCap::~TRasterCap() { cap = previous_; }

}  // namespace pictorand
